// The folder picker on a fixture drive P: linked to a folder of the build: the tree read one level
// ahead, paths opened and returned, OK refused without a folder, and the new-folder dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include "FTree.h"
#include "KvTestSupport.h"
#include "UiDialogs.h"
#include "UiTestKit.h"
#include "manager_forms_support.h"

using namespace manager;

using manager::TFormNewFolder;
using manager::TFormTree;
using namespace managerforms;

namespace {

// P:\PHOTOS\Holiday\DCIM, P:\PHOTOS\Garden, P:\mixedCase, a hidden folder and a file.
void MakeFixtureTree()
{
    const std::string root = FixtureDriveFolder();
    testsupport::RemoveTree(root);
    for (const char* folder : {"", "\\PHOTOS", "\\PHOTOS\\Holiday", "\\PHOTOS\\Holiday\\DCIM",
                               "\\PHOTOS\\Garden", "\\mixedCase", "\\Secret"})
        ::CreateDirectoryA((root + folder).c_str(), nullptr);
    ::SetFileAttributesA((root + "\\Secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
    testsupport::WriteFileBytes(root + "\\readme.txt", "not a folder");
    testsupport::WriteFileBytes(root + "\\.windows-label", "KVFIXTURE\n");
}

class Picker : public ::testing::Test {
protected:
    void SetUp() override
    {
        MakeFixtureTree();
        tree.logicalDrives = [] { return static_cast<DWORD>(FixtureDriveMask()); };
        ASSERT_TRUE(newFolder.Create(TestClass(), nullptr));
        ASSERT_TRUE(tree.Create(TestClass(), nullptr, &newFolder));
        tree.ApplyLanguage();
    }

    std::string SelectedPath() const { return tree.NodePath(tree.TreeView.Selected()); }
    std::vector<std::string> Children(HTREEITEM node) const
    {
        std::vector<std::string> names;
        for (HTREEITEM child = tree.TreeView.FirstChild(node); child;
             child = tree.TreeView.NextSibling(child))
            names.push_back(tree.TreeView.Text(child));
        return names;
    }

    ui::Owner<TFormNewFolder> newFolder;
    ui::Owner<TFormTree> tree;
};

TEST_F(Picker, DriveAndFolderNamesReadOneLevelAhead)
{
    tree.FillDrives();
    const HTREEITEM drive = tree.TreeView.Root();
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(tree.TreeView.NextSibling(drive), nullptr) << "only the drives asked for";
    EXPECT_EQ(tree.TreeView.Text(drive), "P:  KVFIXTURE");
    EXPECT_EQ(tree.NodePath(drive), "P:");
    EXPECT_EQ(Children(drive), (std::vector<std::string>{"mixedCase", "Photos"}))
        << "sorted; capitals shown as a name; no hidden folder, no file";
    const HTREEITEM photos = tree.TreeView.NextSibling(tree.TreeView.FirstChild(drive));
    EXPECT_TRUE(Children(photos).empty()) << "nothing below the visible level is read yet";

    tree.TreeView.Expand(drive);
    EXPECT_EQ(Children(photos), (std::vector<std::string>{"Garden", "Holiday"}))
        << "read once its parent opened";
    tree.TreeView.Collapse(drive);
    EXPECT_TRUE(Children(photos).empty()) << "collapsing drops the level below the children";
}

TEST_F(Picker, SelectPathOpensAtTheDeepestFolderThatExists)
{
    struct Case {
        const char* path;
        const char* selected;
    };
    const Case cases[] = {
        {"P:\\PHOTOS\\Holiday", "P:\\Photos\\Holiday"},
        {"p:\\photos\\holiday\\dcim", "P:\\Photos\\Holiday\\Dcim"},
        {"P:\\PHOTOS\\Nowhere\\Deeper", "P:\\Photos"},
        {"P:", "P:"},
        {"P:\\", "P:"},
        {"Q:\\PHOTOS", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        tree.FillDrives();
        tree.SelectPath(c.path, tree.TreeView.Root());
        EXPECT_EQ(SelectedPath(), c.selected) << c.path;
    }
}

TEST_F(Picker, OkNeedsAFolderAndReturnsItsPath)
{
    // Opened at nothing: OK is refused, Cancel ends it.
    tree.m_sPath = "";
    bool okEnabled = true;
    bool stillOpen = false;
    uitest::OnNextModal([&](ui::Form&) {
        okEnabled = tree.ButtonOk.IsEnabled();
        tree.ButtonOkClick();
        stillOpen = tree.ModalResult() == ui::kModalNone;
        uitest::Click(tree.ButtonCancel.Handle());
    });
    EXPECT_EQ(tree.ShowModal(), ui::kModalCancel);
    EXPECT_FALSE(okEnabled);
    EXPECT_TRUE(stillOpen) << "OK without a folder does not close the picker";

    // Opened at a folder: OK returns its path as shown, with the check box.
    tree.m_sPath = "P:\\PHOTOS\\Holiday\\DCIM";
    uitest::OnNextModal([&](ui::Form&) {
        EXPECT_TRUE(tree.ButtonOk.IsEnabled());
        uitest::Click(tree.CheckBoxIncludeSubfolders.Handle());
        uitest::Click(tree.ButtonOk.Handle());
    });
    EXPECT_EQ(tree.ShowModal(), ui::kModalOk);
    EXPECT_EQ(tree.m_sPath, "P:\\Photos\\Holiday\\Dcim");
    EXPECT_FALSE(tree.CheckBoxIncludeSubfolders.Checked());
}

TEST(NewFolderName, ControlCharactersAndReservedSignsAreRefused)
{
    struct Case {
        const char* name;
        bool valid;
    };
    const Case cases[] = {
        {"", false},           {"Holiday 2026", true}, {"what?", false},       {"tab\there", false},
        {"a/b", false},        {"a\\b", false},        {"c:", false},          {"star*", false},
        {"\"quoted\"", false}, {"<x>", false},         {"pipe|", false},       {"Caf\xE9", true},
        {"\x7F", true},        {"\x1F", false},        {".dotted name", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(manager::IsValidNewFolderName(c.name), c.valid) << c.name;
}

TEST(FolderNames, CapitalsAreShownAsAName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"DCIM", "Dcim"},           {"PHOTOS 2026", "Photos 2026"}, {"IMG_01", "Img_01"},
        {"2019", "2019"},           {"mixedCase", "mixedCase"},     {"Holiday", "Holiday"},
        {"\xC9T\xC9", "\xC9t\xC9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(manager::FolderDisplayName(c.first), c.second) << c.first;
}

TEST_F(Picker, NewFolderDialogChecksTheNameAndCreatesTheFolder)
{
    tree.m_sPath = "P:\\PHOTOS";
    std::vector<bool> okStates;
    std::string caption;
    uitest::OnNextModal([&](ui::Form&) {
        uitest::OnNextModal([&](ui::Form&) {
            caption = newFolder.GetText();
            okStates.push_back(newFolder.ButtonOk.IsEnabled());
            for (const char* name : {"bad?", "tab\t", "Fresh"}) {
                newFolder.EditNewFolder.SetText(name);
                okStates.push_back(newFolder.ButtonOk.IsEnabled());
            }
            uitest::Click(newFolder.ButtonOk.Handle());
        });
        tree.ButtonNewFolderClick();
        uitest::Click(tree.ButtonCancel.Handle());
    });
    tree.ShowModal();
    EXPECT_EQ(caption, "Create folder in \"Photos\"");
    EXPECT_EQ(okStates, (std::vector<bool>{false, false, false, true})) << "empty, ?, tab, a name";
    EXPECT_TRUE(testsupport::PathExists(FixtureDriveFolder() + "\\PHOTOS\\Fresh"));
    EXPECT_EQ(SelectedPath(), "P:\\Photos\\Fresh") << "the new folder is selected";

    // A folder that cannot be created: the user is told, the tree stays.
    ui::DialogsOverride dialogs;
    std::string told;
    dialogs->messageBox = [&](HWND, const std::string& text, const std::string& title, UINT) {
        told = title + ": " + text;
        return IDOK;
    };
    tree.m_sPath = "P:\\PHOTOS";
    uitest::OnNextModal([&](ui::Form&) {
        uitest::OnNextModal([&](ui::Form&) {
            newFolder.EditNewFolder.SetText("Fresh");
            uitest::Click(newFolder.ButtonOk.Handle());
        });
        tree.ButtonNewFolderClick();
        uitest::Click(tree.ButtonCancel.Handle());
    });
    tree.ShowModal();
    EXPECT_EQ(told, "Error: Folder cannot be created.");
}

TEST_F(Picker, PictureAtItsDesignSize)
{
    tree.m_sPath = "P:\\PHOTOS\\Holiday";
    tree.Show();
    tree.TreeView.SetFocus();  // as after a click on the folder: the selection in its colours
    ::UpdateWindow(tree.Handle());
    uitest::Settle();
    const uitest::Picture shot = uitest::Capture(tree.Handle());
    ASSERT_FALSE(shot.Empty());
    ASSERT_TRUE(shot.SavePng(uitest::ShotPath("manager-picker.png")));
    EXPECT_EQ(shot.width, 311);
    EXPECT_EQ(shot.height, 390);

    POINT origin = {0, 0};
    ::ClientToScreen(tree.Handle(), &origin);
    const RECT outer = tree.GetWindowRect();
    const int cx = origin.x - outer.left;
    const int cy = origin.y - outer.top;
    const RECT client = tree.GetClientRect();
    EXPECT_EQ(shot.Pixel(cx + client.right - 4, cy + client.bottom - 60), ::GetSysColor(COLOR_WINDOW))
        << "the tree's background";
    EXPECT_EQ(shot.Pixel(cx + 4, cy + client.bottom - 20), ::GetSysColor(COLOR_BTNFACE)) << "the panel";
    // The folder it opened at is selected: its text stands on the selection colour.
    const RECT text = tree.TreeView.ItemRect(tree.TreeView.Selected(), true);
    int highlighted = 0;
    for (int x = text.left; x < text.right; ++x)
        for (int y = text.top; y < text.bottom; ++y)
            if (shot.Pixel(cx + x, cy + y) == ::GetSysColor(COLOR_HIGHLIGHT)) ++highlighted;
    EXPECT_GT(highlighted, (text.right - text.left) * (text.bottom - text.top) / 2);
    EXPECT_EQ(tree.TreeView.Text(tree.TreeView.Selected()), "Holiday");
    tree.Hide();
}

}  // namespace
