// The folder picker: a tree of the drives and their folders, read one level ahead of what is shown,
// and the small dialog that names a new folder.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "UiApp.h"
#include "UiControls.h"
#include "UiDialogs.h"

namespace manager {

// The name a folder is shown with: one written wholly in capitals ("DCIM") keeps its first
// character and has the rest in lower case ("Dcim"); any other name is shown as it is.
std::string FolderDisplayName(const std::string& name);
// Whether a name can be given to a new folder: not empty, no control character, none of \ / : * ? " < > |.
bool IsValidNewFolderName(const std::string& name);

class TFormNewFolder : public ui::Form {
public:
    TFormNewFolder();
    bool Create(const ui::WindowClass& windowClass, HWND owner);
    void ApplyLanguage();

    void FormShow();
    void EditNewFolderChange();

    ui::Edit EditNewFolder;
    ui::Button ButtonOk;
    ui::Button ButtonCancel;
};

class TFormTree : public ui::Form {
public:
    TFormTree();
    bool Create(const ui::WindowClass& windowClass, HWND owner, TFormNewFolder* newFolder);
    void ApplyLanguage();

    // The folder the tree opens at; OK sets it to the chosen folder.
    std::string m_sPath;
    // The drives listed (bits from C: on); the system's, unless a test narrows them.
    std::function<DWORD()> logicalDrives = [] { return ::GetLogicalDrives(); };

    void FormShow();
    void ButtonOkClick();
    void ButtonCancelClick();
    void ButtonNewFolderClick();
    void TreeViewExpanded(HTREEITEM node);
    void TreeViewCollapsed(HTREEITEM node);

    void FillDrives();
    void FillSubfolders(const std::string& path, HTREEITEM node);
    std::string NodePath(HTREEITEM node) const;
    void SelectPath(const std::string& path, HTREEITEM node);

    ui::TreeView TreeView;
    ui::Panel Panel1;
    ui::CheckBox CheckBoxIncludeSubfolders;
    ui::Button ButtonNewFolder;
    ui::Button ButtonOk;
    ui::Button ButtonCancel;
    ui::ProgressBar ProgressBar;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Layout();
    void UpdateOk();

    TFormNewFolder* m_pFormNewFolder = nullptr;
};

}  // namespace manager
