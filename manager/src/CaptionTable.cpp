// Which text goes on which control: the table the forms read when the language is applied.
#include "CaptionTable.h"

#include <cstring>
#include <iterator>

namespace manager {

const CaptionEntry kCaptionTable[] = {
    {"TFormMain", "ButtonChangeWallpaper", 0, glm_ButtonChangeWallpaper},
    {"TFormMain", "ButtonSettings", 0, glm_ButtonSettings},
    {"TFormMain", "GroupBoxFolders", 0, glm_FoldersWithImages},
    {"TFormMain", "ListViewFolders", 1, glm_Folder},
    {"TFormMain", "ListViewFolders", 2, glm_Images},
    {"TFormMain", "CheckBoxIncludeSubfolders", 0, glm_ButtonIncludeSubfolders},
    {"TFormMain", "CheckBoxAutoScan", 0, glm_AutoscanChanges},
    {"TFormMain", "CheckBoxUseForWallpaper", 0, glm_UseForWallpaper},
    {"TFormMain", "CheckBoxUseForScreenSaver", 0, glm_UseForScrSaver},
    {"TFormMain", "ButtonFolderSettings", 0, glm_MoreOptionsForFolder},
    {"TFormMain", "ButtonAddFolder", 0, glm_AddFolder},
    {"TFormMain", "ButtonDeleteFolder", 0, glm_RemoveFolder},
    {"TFormMain", "ButtonRecalculate", 0, glm_RecalculateImages},
    {"TFormMain", "ButtonBrowser", 0, glm_ImageBrowser},
    {"TFormMain", "ButtonExit", 0, glm_Exit},

    {"TFormFileList", "", 0, glm_FileBrowserCaption},
    {"TFormFileList", "ListViewFiles", 1, glm_File},
    {"TFormFileList", "ListViewFiles", 2, glm_Folder},
    {"TFormFileList", "ButtonSetAsWallpaper", 0, glm_ButtonSetAsWallpaper},
    {"TFormFileList", "CheckBoxExclude", 0, glm_ButtonExcludeImage},
    {"TFormFileList", "ButtonClose", 0, glm_ButtonClose},

    {"TFormNewFolder", "", 0, glm_NewFolderCaption},
    {"TFormNewFolder", "ButtonOk", 0, glm_ButtonOk},
    {"TFormNewFolder", "ButtonCancel", 0, glm_ButtonCancel},

    {"TFormSettings", "", 0, glm_SettingsCaption},
    {"TFormSettings", "ButtonOk", 0, glm_ButtonOk},
    {"TFormSettings", "ButtonCancel", 0, glm_ButtonCancel},
    {"TFormSettings", "ButtonSelectColor", 0, glm_ButtonSelectColor},
    {"TFormSettings", "ButtonBrowse", 0, glm_ButtonBrowse},
    {"TFormSettings", "ButtonFontChange", 0, glm_ButtonChange},

    {"TFormTree", "", 0, glm_CaptionFolders},
    {"TFormTree", "ButtonOk", 0, glm_ButtonOk},
    {"TFormTree", "ButtonCancel", 0, glm_ButtonCancel},
    {"TFormTree", "ButtonNewFolder", 0, glm_ButtonNewFolder},
    {"TFormTree", "CheckBoxIncludeSubfolders", 0, glm_ButtonIncludeSubfolders},

    {"TFormProcessEnum", "", 0, glm_BlockingProgramsCaption},
    {"TFormProcessEnum", "LabelCurrentlyRunning", 0, glm_CurrentlyRunningPrograms},
    {"TFormProcessEnum", "ListViewWindows", 1, glm_ColumnFile},
    {"TFormProcessEnum", "ListViewWindows", 2, glm_ColumnWindowTitle},
    {"TFormProcessEnum", "ButtonAdd", 0, glm_ButtonAdd},
    {"TFormProcessEnum", "ButtonRemove", 0, glm_ButtonRemove},
    {"TFormProcessEnum", "LabelBlockingPrograms", 0, glm_LabelBlockingPrograms},
    {"TFormProcessEnum", "ButtonOk", 0, glm_ButtonOk},
    {"TFormProcessEnum", "ButtonCancel", 0, glm_ButtonCancel},
};

const int kCaptionTableCount = static_cast<int>(std::size(kCaptionTable));

bool FindCaption(const char* form, const char* component, int column, ManagerTextKey& key)
{
    if (!form || !component) return false;
    for (const CaptionEntry& entry : kCaptionTable) {
        if (std::strcmp(entry.form, form) == 0 && std::strcmp(entry.component, component) == 0 &&
            entry.column == column) {
            key = entry.key;
            return true;
        }
    }
    return false;
}

}  // namespace manager
