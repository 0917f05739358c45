// The help pictures and the empty test-image window, and the places the forms keep under \Manager.
#include <gtest/gtest.h>

#include "Ffilelist.h"
#include "FormPictures.h"
#include "Fprocessenum.h"
#include "Fsettings.h"
#include "KvTestSupport.h"
#include "LanguageFile.h"
#include "Umanaglang.h"
#include "ManagerForms.h"
#include "UiTestKit.h"
#include "Wcommon.h"

using namespace manager;

namespace {

TEST(HelpPictures, ElevenPicturesOfTheirSizes)
{
    ui::Owner<TFormPictures> pictures;
    ASSERT_TRUE(pictures.Create());
    EXPECT_FALSE(pictures.IsVisible());
    const SIZE expected[] = {{235, 98},  {205, 124}, {205, 124}, {196, 100}, {230, 172}, {230, 172},
                             {230, 172}, {230, 172}, {207, 156}, {207, 156}, {235, 97}};
    for (int number = 1; number <= TFormPictures::kCount; ++number) {
        const HBITMAP picture = pictures.Picture(number);
        ASSERT_NE(picture, nullptr) << number;
        BITMAP info = {};
        ASSERT_TRUE(::GetObjectA(picture, sizeof info, &info)) << number;
        EXPECT_EQ(info.bmWidth, expected[number - 1].cx) << number;
        EXPECT_EQ(info.bmHeight, expected[number - 1].cy) << number;
    }
    EXPECT_EQ(pictures.Picture(0), nullptr);
    EXPECT_EQ(pictures.Picture(12), nullptr);
}

TEST(TestImageWindow, EmptyAtItsSize)
{
    ui::Owner<TFormTestImg> window;
    ASSERT_TRUE(window.Create());
    const RECT client = window.GetClientRect();
    EXPECT_EQ(client.right, 696);
    EXPECT_EQ(client.bottom, 392);
    EXPECT_EQ(::GetWindow(window.Handle(), GW_CHILD), nullptr);
}

// A \Manager key of its own for the test, removed afterwards.
class ManagerKeyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kPath);
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                    nullptr),
                  ERROR_SUCCESS);
        m_key.reset(key);
    }
    void TearDown() override
    {
        m_key.reset();
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kPath);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Dalvex\\KestrovaFormsTest");
    }
    static constexpr const char* kPath = "Software\\Dalvex\\KestrovaFormsTest\\Manager";
    RegKey m_key;
};

TEST_F(ManagerKeyTest, BrowserPlaceRoundTripsAndBadValuesAreIgnored)
{
    ui::Owner<TFormFileList> form;
    ASSERT_TRUE(form.Create());
    form.SetPos(nullptr, 40, 30, 700, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    form.WritePosition(m_key.get());
    DWORD value = 0;
    ASSERT_TRUE(ReadDwordValue(m_key.get(), "FFileListLeft", value));
    EXPECT_EQ(value, 40u);
    ASSERT_TRUE(ReadDwordValue(m_key.get(), "FFileListWidth", value));
    EXPECT_EQ(value, 700u);
    ASSERT_TRUE(ReadDwordValue(m_key.get(), "FFileListPanelWidth", value));
    EXPECT_EQ(value, 320u);

    ui::Owner<TFormFileList> other;
    ASSERT_TRUE(other.Create());
    other.ReadPosition(m_key.get());
    EXPECT_EQ(other.GetWindowRect().left, 40);
    EXPECT_EQ(other.GetWindowRect().right - other.GetWindowRect().left, 700);

    // A place far off the screen and a value of another type leave the window where it is.
    const RECT before = other.GetWindowRect();
    WriteDwordValue(m_key.get(), "FFileListLeft", 50000);
    ::RegSetValueExA(m_key.get(), "FFileListWidth", 0, REG_SZ, reinterpret_cast<const BYTE*>("700"), 4);
    other.ReadPosition(m_key.get());
    EXPECT_EQ(other.GetWindowRect().left, before.left);
    // A panel as wide as the window still leaves the list its width.
    WriteDwordValue(m_key.get(), "FFileListPanelWidth", 5000);
    other.ReadPosition(m_key.get());
    EXPECT_GT(other.ListViewFiles.GetWindowRect().right - other.ListViewFiles.GetWindowRect().left, 100);
}

}  // namespace

namespace {

// Forms made before the language was applied take its texts from ApplyTexts, as the main window's
// first show applies them.
TEST(FormTexts, ApplyTextsPutsTheLanguageOnFormsMadeBefore)
{
    ui::Owner<TFormFileList> browser;
    ui::Owner<TFormProcessEnum> picker;
    CSettings settings;
    ui::Owner<TFormSettings> dialog{settings, nullptr};
    ASSERT_TRUE(browser.Create() && picker.Create() && dialog.Create());
    testsupport::TempFolder folder("kvlang");
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / "KvLang.dat",
                                            "BEGIN-LANGUAGE Test\r\n"
                                            "glm_File\r\nDatei\r\n"
                                            "glm_ButtonAdd\r\nHinzu\r\n"
                                            "glm_ButtonOk\r\nGut\r\n"
                                            "glm_BlockingProgramsCaption\r\nSperrliste\r\n"
                                            "END-LANGUAGE\r\n"));
    ApplyManagerLanguage("Test", (folder / "KvLang.dat").c_str());
    browser.ApplyTexts();
    picker.ApplyTexts();
    dialog.ApplyTexts();
    char column[64] = {};
    LVCOLUMNA item = {};
    item.mask = LVCF_TEXT;
    item.pszText = column;
    item.cchTextMax = sizeof column;
    ::SendMessageA(browser.ListViewFiles.Handle(), LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&item));
    const std::string fileColumn = column;
    const std::string add = picker.ButtonAdd.GetText();
    const std::string caption = picker.GetText();
    const std::string ok = dialog.ButtonOk.GetText();
    LoadManagerTextDefaults();
    EXPECT_EQ(fileColumn, "Datei");
    EXPECT_EQ(add, "Hinzu");
    EXPECT_EQ(caption, "Sperrliste");
    EXPECT_EQ(ok, "Gut");
}

}  // namespace
