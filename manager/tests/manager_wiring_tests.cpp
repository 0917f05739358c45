// The main window with the other forms made as the program makes them, in the test's own process:
// its buttons open the image browser and the settings dialog, the forms stand where the main window
// places them, and their places are kept under \Manager.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "Ffilelist.h"
#include "Fmain.h"
#include "Fprocessenum.h"
#include "Fsettings.h"
#include "KvTestRegistry.h"
#include "KvTestSupport.h"
#include "ManagerEngine.h"
#include "UiTestKit.h"
#include "manager_e2e_support.h"
#include "manager_forms_support.h"
#include "Uregistryroot.h"

using namespace manager;

using manager::TFormMain;
using namespace managerforms;

namespace {

constexpr const char* kManagerKey = KV_REG_ROOT "\\Manager";

class MainWindowWithForms : public ::testing::Test {
protected:
    void SetUp() override
    {
        managertest::MakeSampleFolder(Sample());
        managertest::ResetUser(Sample());
        form.mainForm = false;  // the test's thread goes on after the window
        ASSERT_TRUE(form.Create(TestClass()));
        ASSERT_TRUE(form.CreateSecondaryForms());
        form.Show();
        uitest::Settle();  // the posted check for changes
    }
    void TearDown() override
    {
        form.DestroySecondaryForms();
        form.Destroy();
        managertest::ResetUser("");
    }

    std::string Sample() const { return root / "img"; }

    testsupport::TempFolder root{"kvmgrwiring"};
    ui::Owner<TFormMain> form;
};

// The node of the settings tree whose item has that key and section, or null.
HTREEITEM FindNode(ui::TreeView& tree, HTREEITEM node, const char* key, const char* section)
{
    for (; node; node = tree.NextSibling(node)) {
        auto* item = static_cast<CSettingsItem*>(tree.Data(node));
        if (item && item->Key().CompareNoCase(key) == 0 && item->Section().CompareNoCase(section) == 0)
            return node;
        if (HTREEITEM inner = FindNode(tree, tree.FirstChild(node), key, section)) return inner;
    }
    return nullptr;
}

TEST_F(MainWindowWithForms, TheBrowserHidesTheMainWindowAndShowsTheImagesUntilClosed)
{
    bool mainHidden = false;
    int rows = -1;
    bool isBrowser = false;
    uitest::OnNextModal([&](ui::Form& shown) {
        auto* browser = dynamic_cast<TFormFileList*>(&shown);
        isBrowser = browser != nullptr;
        mainHidden = !::IsWindowVisible(form.Handle());
        if (!browser) return shown.Close();
        rows = browser->ListViewFiles.ItemCount();
        uitest::Click(browser->ButtonClose.Handle());
    });
    uitest::Click(form.ButtonBrowser.Handle());
    EXPECT_TRUE(isBrowser);
    EXPECT_TRUE(mainHidden) << "the browser hides its owner";
    EXPECT_EQ(rows, 3);
    EXPECT_TRUE(::IsWindowVisible(form.Handle())) << "the main window shows again";
}

TEST_F(MainWindowWithForms, SettingsOkSavesRecomposesAndTheMainWindowReadsTheRecordAgain)
{
    ASSERT_NE(form.m_Session.m_RegistryRecord.Display.dwMinSize, 500u);
    ManagerEngineOverride engine;
    int recompositions = 0;
    engine->showProgressWindow = [] {};
    engine->hideProgressWindow = [] {};
    engine->updateCurrentWallpaper = [&] {
        ++recompositions;
        return TRUE;
    };
    std::string pickerList;
    uitest::OnNextModal([&](ui::Form& shown) {
        auto* settings = dynamic_cast<TFormSettings*>(&shown);
        if (!settings) return shown.Close();
        // The program-list editor is the picker the program made.
        settings->TreeView.Select(
            FindNode(settings->TreeView, settings->TreeView.Root(), "ConflictingPrgs", "Agent"));
        uitest::OnNextModal([&](ui::Form& picker) {
            auto* programs = dynamic_cast<TFormProcessEnum*>(&picker);
            if (!programs) return picker.Close();
            programs->EditBlockingPrograms.SetText("kvprobe.exe");
            uitest::Click(programs->ButtonOk.Handle());
        });
        uitest::Click(settings->ButtonBrowse.Handle());
        pickerList = settings->Edit.GetText();
        settings->TreeView.Select(
            FindNode(settings->TreeView, settings->TreeView.Root(), "MinSize", "Display"));
        settings->CSpinEdit.SetText("500");
        uitest::Click(settings->ButtonOk.Handle());
    });
    uitest::Click(form.ButtonSettings.Handle());
    EXPECT_EQ(pickerList, "kvprobe.exe");
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, KV_REG_ROOT "\\Display", "MinSize").Dword(), 500u);
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, KV_REG_ROOT "\\Agent", "ConflictingPrgs").Text(),
              "kvprobe.exe");
    EXPECT_EQ(recompositions, 1);
    EXPECT_EQ(form.m_Session.m_RegistryRecord.Display.dwMinSize, 500u) << "the record read again after OK";
}

TEST_F(MainWindowWithForms, TheBrowserStandsAboveTheMainWindowAndThePlacesAreKept)
{
    HWND browser = nullptr;
    HWND settings = nullptr;
    uitest::OnNextModal([&](ui::Form& shown) {
        browser = shown.Handle();
        shown.Close();
    });
    uitest::Click(form.ButtonBrowser.Handle());
    ASSERT_NE(browser, nullptr);
    RECT browserRect = {};
    RECT mainRect = {};
    ::GetWindowRect(browser, &browserRect);
    ::GetWindowRect(form.Handle(), &mainRect);
    EXPECT_EQ(browserRect.bottom, mainRect.top) << "directly above";
    EXPECT_EQ(browserRect.left, mainRect.left);
    EXPECT_EQ(browserRect.right - browserRect.left, mainRect.right - mainRect.left);

    uitest::OnNextModal([&](ui::Form& shown) {
        settings = shown.Handle();
        shown.Close();
    });
    uitest::Click(form.ButtonSettings.Handle());
    ASSERT_NE(settings, nullptr);
    RECT settingsRect = {};
    ::GetWindowRect(settings, &settingsRect);
    EXPECT_EQ(settingsRect.left,
              (::GetSystemMetrics(SM_CXSCREEN) - (settingsRect.right - settingsRect.left)) / 2);
    EXPECT_EQ(settingsRect.top,
              (::GetSystemMetrics(SM_CYSCREEN) - (settingsRect.bottom - settingsRect.top)) / 2);

    // Where the user moved them is what the close writes.
    ::SetWindowPos(browser, nullptr, 40, 50, 600, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(settings, nullptr, 60, 70, 720, 440, SWP_NOZORDER | SWP_NOACTIVATE);
    form.WriteWindowPositions();
    const std::pair<const char*, DWORD> expected[] = {
        {"FFileListLeft", 40}, {"FFileListTop", 50}, {"FFileListWidth", 600}, {"FFileListHeight", 300},
        {"FSettingsLeft", 60}, {"FSettingsTop", 70}, {"FSettingsWidth", 720}, {"FSettingsHeight", 440},
    };
    for (const auto& [name, value] : expected)
        EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, kManagerKey, name).Dword(), value) << name;

    // And a start reads them back into the forms.
    ::SetWindowPos(browser, nullptr, 0, 0, 500, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    form.ReadWindowPositions();
    ::GetWindowRect(browser, &browserRect);
    EXPECT_EQ(browserRect.left, 40);
    EXPECT_EQ(browserRect.top, 50);
    EXPECT_EQ(browserRect.right - browserRect.left, 600);
    EXPECT_EQ(browserRect.bottom - browserRect.top, 300);
}

// Each engine call the main window makes, with a stand-in that records it.
struct EngineCase {
    const char* name;
    void (*act)(TFormMain& form);
    std::vector<std::string> calls;
};

const EngineCase kEngineCases[] = {
    {"change the wallpaper",
     [](TFormMain& form) { uitest::Click(form.ButtonChangeWallpaper.Handle()); },
     {"showProgressWindow", "setRandomWallpaper", "hideProgressWindow"}},
    {"test the screen saver",
     [](TFormMain& form) { form.ButtonScreenSaverTestClick(); },
     {"screenSaverReplaceImage"}},
};

TEST_F(MainWindowWithForms, EveryEngineCallOfTheMainWindowHasAStandIn)
{
    for (const EngineCase& c : kEngineCases) {
        ManagerEngineOverride engine;
        std::vector<std::string> calls;
        HWND painted = nullptr;
        const RegistryRecord* record = nullptr;
        engine->showProgressWindow = [&] { calls.push_back("showProgressWindow"); };
        engine->hideProgressWindow = [&] { calls.push_back("hideProgressWindow"); };
        engine->setRandomWallpaper = [&] {
            calls.push_back("setRandomWallpaper");
            return TRUE;
        };
        engine->screenSaverReplaceImage = [&](HWND window, RegistryRecord* settings) {
            calls.push_back("screenSaverReplaceImage");
            painted = window;
            record = settings;
            return TRUE;
        };
        c.act(form);
        EXPECT_EQ(calls, c.calls) << c.name;
        if (painted) {
            EXPECT_TRUE(::IsWindowVisible(painted)) << c.name << ": the test window is shown";
            EXPECT_EQ(record, &form.m_Session.m_RegistryRecord) << c.name;
        }
    }
}

}  // namespace
