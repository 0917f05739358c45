// The main window in the test's own process after a real start-up for a fresh user: the folder list,
// its check boxes following the selection made with the mouse or the keyboard, its picture, and the
// saved window positions.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <functional>

#include "Fmain.h"
#include "FTree.h"
#include "KvTestSupport.h"
#include "ManagerWindowPositions.h"
#include "UTxDiskApi.h"
#include "UiApp.h"
#include "UiDialogs.h"
#include "UiTestKit.h"
#include "manager_e2e_support.h"
#include "manager_forms_support.h"

using namespace manager;

using manager::TFormMain;
using namespace managerforms;

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        managertest::MakeSampleFolder(Sample());
        ::CreateDirectoryA(Other().c_str(), nullptr);
        managertest::ResetUser(Sample());
        form.mainForm = false;  // the test's thread goes on after the window
        ASSERT_TRUE(form.Create(TestClass()));
        form.Show();
        uitest::Settle();  // the posted check for changes
        // A second folder: subfolders, no automatic scan, wallpaper only.
        auto* other = new CImageFolder;
        other->Path.Assign(Other().c_str());
        other->IncludeSubfolders = 1;
        other->AutoScan = 0;
        other->UseForScreenSaver = 0;
        ASSERT_TRUE(form.m_Session.m_pFolderCollection->Insert(other));
        form.FillFolderList();
    }
    void TearDown() override
    {
        form.Destroy();
        managertest::ResetUser("");
    }

    std::string Sample() const { return root / "img"; }
    std::string Other() const { return root / "other"; }
    std::vector<bool> Boxes() const
    {
        return {form.CheckBoxIncludeSubfolders.Checked(), form.CheckBoxAutoScan.Checked(),
                form.CheckBoxUseForWallpaper.Checked(), form.CheckBoxUseForScreenSaver.Checked()};
    }
    int ItemImage(int item) const
    {
        LVITEMA lvi = {};
        lvi.mask = LVIF_IMAGE;
        lvi.iItem = item;
        ::SendMessageA(form.ListViewFolders.Handle(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&lvi));
        return lvi.iImage;
    }

    testsupport::TempFolder root{"kvmgrforms"};
    ui::Owner<TFormMain> form;
};

TEST_F(MainWindow, StartUpListsTheSampleFolderWithItsImages)
{
    ASSERT_EQ(form.ListViewFolders.ItemCount(), 2);
    EXPECT_EQ(::lstrcmpiA(form.ListViewFolders.ItemText(0).c_str(), Sample().c_str()), 0);
    EXPECT_EQ(form.ListViewFolders.ItemText(0, 1), "ws  3");
    EXPECT_EQ(form.ListViewFolders.ItemText(1, 1), "w  0");
    EXPECT_EQ(ItemImage(0), 3) << "auto-scan only";
    EXPECT_EQ(ItemImage(1), 2) << "subfolders only";
    EXPECT_EQ(form.m_Session.m_dwAllFilesCount, 3u);
    EXPECT_EQ(form.GetText(), "Kestrova Manager 1.07");
    EXPECT_EQ(ui::App::Title(), form.GetText()) << "the error box's caption is the language's caption";
    const RECT client = form.GetClientRect();
    EXPECT_EQ(client.right, 690);
    EXPECT_EQ(client.bottom, 234);
}

TEST_F(MainWindow, WithoutASelectionTheFolderControlsAreOff)
{
    EXPECT_EQ(form.ListViewFolders.FirstSelected(), -1);
    EXPECT_FALSE(form.ButtonDeleteFolder.IsEnabled());
    EXPECT_EQ(Boxes(), (std::vector<bool>{false, false, false, false}));
    for (const ui::CheckBox* box : {&form.CheckBoxIncludeSubfolders, &form.CheckBoxAutoScan,
                                    &form.CheckBoxUseForWallpaper, &form.CheckBoxUseForScreenSaver})
        EXPECT_FALSE(box->IsEnabled());
    form.CheckBoxAutoScan.SetChecked(true);  // as a stray click would
    EXPECT_EQ(form.m_Session.m_pFolderCollection->FolderAt(1)->AutoScan, 0);
    EXPECT_EQ(form.m_Session.m_pFolderCollection->FolderAt(0)->AutoScan, 1);
}

TEST_F(MainWindow, TheBoxesFollowTheSelectionMadeWithTheKeyboard)
{
    form.ListViewFolders.SetFocus();
    ASSERT_TRUE(uitest::SelectListItem(form.ListViewFolders.Handle(), 0));
    uitest::Settle();
    EXPECT_EQ(Boxes(), (std::vector<bool>{false, true, true, true})) << "the sample folder";
    EXPECT_TRUE(form.ButtonDeleteFolder.IsEnabled());

    uitest::PressKey(form.ListViewFolders.Handle(), VK_DOWN);
    uitest::Settle();
    ASSERT_EQ(form.ListViewFolders.FirstSelected(), 1);
    EXPECT_EQ(Boxes(), (std::vector<bool>{true, false, true, false})) << "the second folder";

    // A click now changes the folder the boxes show, and only it.
    uitest::Click(form.CheckBoxAutoScan.Handle());
    EXPECT_EQ(form.m_Session.m_pFolderCollection->FolderAt(1)->AutoScan, 1);
    EXPECT_EQ(form.m_Session.m_pFolderCollection->FolderAt(0)->AutoScan, 1);
    EXPECT_EQ(ItemImage(1), 4) << "auto-scan and subfolders";
    EXPECT_TRUE(form.m_Session.m_pFolderCollection->Modified);

    uitest::Click(form.CheckBoxUseForScreenSaver.Handle());
    EXPECT_EQ(form.ListViewFolders.ItemText(1, 1), "ws  0");
    EXPECT_EQ(form.ListViewFolders.FirstSelected(), 1) << "the selection survives";
}

TEST_F(MainWindow, RecalculateRemoveAndHelp)
{
    // A fourth image appears on disk: Recalculate finds it.
    ASSERT_TRUE(::CopyFileA((testsupport::ExeFolder() + "fixtures\\jpeg\\one.jpg").c_str(),
                            (Sample() + "\\four.jpg").c_str(), FALSE));
    uitest::Click(form.ButtonRecalculate.Handle());
    EXPECT_EQ(form.ListViewFolders.ItemText(0, 1), "ws  4");
    EXPECT_EQ(form.m_Session.m_pFileCollection->GetCount(), 4);
    EXPECT_EQ(form.m_Session.m_dwAllFilesCount, 4u);

    // Removing the sample folder takes its images with it, without a question.
    ASSERT_TRUE(uitest::SelectListItem(form.ListViewFolders.Handle(), 0));
    uitest::Click(form.ButtonDeleteFolder.Handle());
    ASSERT_EQ(form.ListViewFolders.ItemCount(), 1);
    EXPECT_EQ(::lstrcmpiA(form.ListViewFolders.ItemText(0).c_str(), Other().c_str()), 0);
    EXPECT_EQ(form.m_Session.m_pFileCollection->GetCount(), 0);
    EXPECT_TRUE(form.m_Session.m_pFolderCollection->Modified);
    EXPECT_TRUE(form.m_Session.m_pFileCollection->Modified);

    ui::DialogsOverride dialogs;
    std::string opened;
    dialogs->shellOpen = [&](HWND, const std::string& path) {
        opened = path;
        return true;
    };
    uitest::Click(form.ButtonHelp.Handle());
    EXPECT_EQ(opened, TxProgramFolder() + "Kestrova.chm");
}

TEST_F(MainWindow, PictureAtItsDesignSize)
{
    form.ListViewFolders.SetFocus();
    uitest::SelectListItem(form.ListViewFolders.Handle(), 0);
    ::UpdateWindow(form.Handle());
    uitest::Settle();
    const uitest::Picture shot = uitest::Capture(form.Handle());
    ASSERT_FALSE(shot.Empty());
    ASSERT_TRUE(shot.SavePng(uitest::ShotPath("manager-main.png")));

    POINT origin = {0, 0};
    ::ClientToScreen(form.Handle(), &origin);
    const RECT outer = form.GetWindowRect();
    const int cx = origin.x - outer.left;
    const int cy = origin.y - outer.top;
    const auto at = [&](HWND child, int x, int y) {
        POINT p = {x, y};
        ::MapWindowPoints(child, form.Handle(), &p, 1);
        return shot.Pixel(cx + p.x, cy + p.y);
    };
    EXPECT_EQ(shot.Pixel(cx + 500, cy + 218), ::GetSysColor(COLOR_BTNFACE)) << "between the bottom buttons";
    // The selected row in the selection colour, and the first folder's picture in it.
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    ::SendMessageA(form.ListViewFolders.Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    EXPECT_EQ(at(form.ListViewFolders.Handle(), 300, (row.top + row.bottom) / 2),
              ::GetSysColor(COLOR_HIGHLIGHT));
    RECT icon = {LVIR_ICON, 0, 0, 0};
    ::SendMessageA(form.ListViewFolders.Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&icon));
    int folderYellow = 0;
    for (int x = icon.left; x < icon.right; ++x)
        for (int y = icon.top; y < icon.bottom; ++y)
            if (at(form.ListViewFolders.Handle(), x, y) == RGB(232, 184, 40)) ++folderYellow;
    EXPECT_GT(folderYellow, 40) << "the folder picture";
    // The second row is not selected: the window colour.
    EXPECT_EQ(at(form.ListViewFolders.Handle(), 600, row.bottom + (row.bottom - row.top) / 2),
              ::GetSysColor(COLOR_WINDOW));
}

TEST_F(MainWindow, AFailedSaveIsToldAndNothingIsReloadedOverTheChanges)
{
    // A data folder that does not exist: the saves cannot write there.
    FilesSettings& files = form.m_Session.m_RegistryRecord.Files;
    const std::string missing = root / "gone";
    std::snprintf(files.szFolderListFile, sizeof files.szFolderListFile, "%s\\FolderList.dat",
                  missing.c_str());
    std::snprintf(files.szFileListDatFile, sizeof files.szFileListDatFile, "%s\\FileListDat.dat",
                  missing.c_str());
    std::snprintf(files.szFileListStrFile, sizeof files.szFileListStrFile, "%s\\FileListStr.dat",
                  missing.c_str());
    form.m_Session.m_pFolderCollection->Modified = 1;
    form.m_Session.m_pFileCollection->Modified = 1;

    ui::DialogsOverride dialogs;
    std::vector<std::string> told;
    dialogs->messageBox = [&](HWND, const std::string& text, const std::string& title, UINT) {
        told.push_back(title + ": " + text);
        return IDOK;
    };
    form.ButtonChangeWallpaperClick();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("could not be saved"), std::string::npos) << told[0];
    EXPECT_TRUE(form.m_Session.m_pFolderCollection->Modified) << "still to be saved";
    EXPECT_TRUE(form.m_Session.m_pFileCollection->Modified);
    EXPECT_EQ(form.ListViewFolders.ItemCount(), 2) << "the list in memory is kept, not replaced by the files";
    EXPECT_EQ(form.m_Session.m_pFileCollection->GetCount(), 3);
}

// Folders the picker offers but no image in could be used: a name the code page lacks (the picker
// sees '?' for its letters) and a path that leaves no room for an image's name. Neither is added,
// and the user is told; an ordinary folder beside them is added.
TEST_F(MainWindow, AFolderWhoseNameOrLengthCannotBeUsedIsRefusedWithAMessage)
{
    const std::string parent = "P:\\Odd";
    const auto wide = [](const std::string& path) {
        return L"\\\\?\\" + std::wstring(path.begin(), path.end());
    };
    // P:\Odd\ and 247 letters: 254 characters, so even "\a.jpg" passes the 259 a path may have.
    const std::string longName(254 - parent.size() - 1, 'L');
    const std::vector<std::wstring> folders = {wide(parent) + L"\\\x4E2D\x6587",
                                               wide(parent + "\\" + longName), wide(parent + "\\Plain")};
    // Names the ANSI calls of the usual clean-up cannot reach: removed through their wide paths, before
    // (after a run that ended early) and after, since the picker's tests list the drive.
    struct Cleanup {
        const std::vector<std::wstring>& folders;
        std::wstring parent;
        void operator()() const
        {
            for (const std::wstring& folder : folders) {
                ::DeleteFileW((folder + L"\\a.jpg").c_str());
                ::RemoveDirectoryW(folder.c_str());
            }
            ::RemoveDirectoryW(parent.c_str());
        }
        ~Cleanup() { (*this)(); }
    } cleanup{folders, wide(parent)};
    cleanup();
    ASSERT_TRUE(::CreateDirectoryA(parent.c_str(), nullptr));
    for (const std::wstring& folder : folders) {
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        FileHandle image(::CreateFileW((folder + L"\\a.jpg").c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(static_cast<bool>(image));
    }

    ui::Owner<manager::TFormNewFolder> newFolder;
    ui::Owner<manager::TFormTree> tree;
    tree.logicalDrives = [] { return static_cast<DWORD>(FixtureDriveMask()); };
    ASSERT_TRUE(newFolder.Create(TestClass(), nullptr));
    ASSERT_TRUE(tree.Create(TestClass(), nullptr, &newFolder));
    form.SetFolderPicker(&tree);
    ui::DialogsOverride dialogs;
    std::vector<std::string> told;
    dialogs->messageBox = [&](HWND, const std::string& text, const std::string& title, UINT) {
        told.push_back(title + ": " + text);
        return IDOK;
    };

    const struct {
        const char* name;
        std::function<bool(const std::string&)> isChild;
        bool added;
    } cases[] = {
        {"name the code page lacks", [](const std::string& t) { return t.find('?') != std::string::npos; },
         false},
        {"254 characters", [](const std::string& t) { return t.size() > 200; }, false},
        {"plain", [](const std::string& t) { return t == "Plain"; }, true},
    };
    for (const auto& c : cases) {
        told.clear();
        const int folders = form.m_Session.m_pFolderCollection->GetCount();
        const int images = form.m_Session.m_pFileCollection->GetCount();
        form.m_Session.m_sLastDirAddFolders = parent;
        std::string picked;
        uitest::OnNextModal([&](ui::Form&) {
            const HTREEITEM odd = tree.TreeView.Selected();
            tree.TreeView.Expand(odd);
            for (HTREEITEM child = tree.TreeView.FirstChild(odd); child;
                 child = tree.TreeView.NextSibling(child))
                if (c.isChild(tree.TreeView.Text(child))) tree.TreeView.Select(child);
            picked = tree.NodePath(tree.TreeView.Selected());
            uitest::Click(tree.ButtonOk.Handle());
        });
        uitest::Click(form.ButtonAddFolder.Handle());
        EXPECT_NE(picked, parent) << c.name;
        EXPECT_EQ(form.m_Session.m_pFolderCollection->GetCount(), folders + (c.added ? 1 : 0)) << c.name;
        EXPECT_EQ(form.m_Session.m_pFileCollection->GetCount(), images + (c.added ? 1 : 0)) << c.name;
        if (c.added) {
            EXPECT_TRUE(told.empty()) << c.name;
        } else {
            ASSERT_EQ(told.size(), 1u) << c.name;
            EXPECT_NE(told[0].find(picked), std::string::npos) << told[0];
        }
    }
    form.SetFolderPicker(nullptr);
}

// Where the shell finds the user's application-data folder.
constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

TEST_F(MainWindow, AnApplicationDataFolderTooLongForThePathsIsNotCut)
{
    // 230 characters: with "\\Kestrova" and the longest file name it passes the 260-byte fields.
    std::string path = root.Path() + "\\";
    path += std::string(230 - path.size(), 'a');
    ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr));
    testsupport::SavedRegValue savedAppData(HKEY_CURRENT_USER, kShellFoldersKey, "AppData");
    ASSERT_TRUE(testsupport::WriteRegValue(HKEY_CURRENT_USER, kShellFoldersKey, "AppData", REG_EXPAND_SZ,
                                           testsupport::TextData(path)));
    char shellPath[MAX_PATH + 1] = {};
    ASSERT_EQ(::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, shellPath), S_OK);
    ASSERT_EQ(std::string(shellPath), path) << "the shell reads the replaced folder";

    ASSERT_TRUE(form.m_Session.SetDataFilePaths());
    const std::string folderList = form.m_Session.m_RegistryRecord.Files.szFolderListFile;
    EXPECT_EQ(folderList.find(path), std::string::npos) << "no path below the long folder: " << folderList;
    EXPECT_EQ(folderList.rfind(TxProgramFolder(), 0), 0u) << "the program's folder instead: " << folderList;
    EXPECT_EQ(folderList.substr(folderList.size() - 15), "\\FolderList.dat");
}

TEST(ManagerPositions, OnlyPlacesOnAMonitorAndValuesOfTheirTypeCount)
{
    const char* key = manager::kManagerPositionsKey;
    testsupport::DeleteRegTree(HKEY_CURRENT_USER, key);
    testsupport::WriteRegDword(HKEY_CURRENT_USER, key, "FMainLeft", 100);
    testsupport::WriteRegDword(HKEY_CURRENT_USER, key, "FMainTop", 50);
    testsupport::WriteRegDword(HKEY_CURRENT_USER, key, "FFileListLeft",
                               static_cast<DWORD>(-5000));  // a monitor gone
    testsupport::WriteRegDword(HKEY_CURRENT_USER, key, "FFileListTop", 10);
    testsupport::WriteRegDword(HKEY_CURRENT_USER, key, "FFileListWidth", 600);
    testsupport::WriteRegDword(HKEY_CURRENT_USER, key, "FFileListPanelWidth", 5000);
    testsupport::WriteRegValue(HKEY_CURRENT_USER, key, "FSettingsLeft", REG_SZ,
                               testsupport::TextData("12"));  // not a number value
    testsupport::WriteRegDword(HKEY_CURRENT_USER, key, "FSettingsTop", 20);
    testsupport::WriteRegValue(HKEY_CURRENT_USER, key, "LastDirAddFolders", REG_SZ,
                               testsupport::TextData("C:\\Pictures"));

    manager::ManagerWindowPositions positions;
    positions.fileList.left = 7;
    positions.settings.left = 8;
    positions.settings.top = 9;
    ASSERT_TRUE(manager::ReadManagerPositions(positions));
    EXPECT_EQ(positions.main.x, 100);
    EXPECT_EQ(positions.main.y, 50);
    EXPECT_EQ(positions.fileList.left, 7) << "off every monitor: ignored";
    EXPECT_EQ(positions.fileList.width, 600);
    EXPECT_EQ(positions.fileListPanelWidth, 550) << "narrower than its window";
    EXPECT_EQ(positions.settings.left, 8) << "a text where a number belongs: ignored, with its pair";
    EXPECT_EQ(positions.settings.top, 9);
    EXPECT_EQ(positions.lastDirAddFolders, "C:\\Pictures");

    positions.main = {-3, 4};
    ASSERT_TRUE(manager::WriteManagerPositions(positions));
    EXPECT_EQ(static_cast<int>(testsupport::ReadRegValue(HKEY_CURRENT_USER, key, "FMainLeft").Dword()), -3);
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, key, "LastDirAddFolders").Text(), "C:\\Pictures");
    testsupport::DeleteRegTree(HKEY_CURRENT_USER, key);
}

}  // namespace
