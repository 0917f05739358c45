#include "Uuninstlang.h"

#include "UiFormat.h"
#include "Uinstallvalues.h"
#include "Ulanguagetexts.h"

namespace {

const LanguageTextEntry kTexts[kUninstallTextCount] = {
    {"glu_Caption", "Kestrova Uninstall Program", false},
    {"glu_Usage",
     "This uninstallation program will remove the Kestrova wallpaper changer and screensaver from your PC.",
     false},
    {"glu_Complete", "Uninstallation Complete", false},
    {"glu_Start", "Start", false},
    {"glu_Cancel", "Cancel", false},
    {"glu_Close", "Close", false},
    {"glu_CannotUninstall", "Cannot uninstall.", false},
    {"glu_UninstallFileNotFoundS", "The installation history file is missing: %s", true},
    {"glu_CannotReadUninstallFileS", "Cannot read the installation history file: %s", true},
    {"glu_RemovedFolderS", "Removed folder %s", true},
    {"glu_RemovedFileS", "Deleted file %s", true},
    {"glu_RemovedRegistryItemS", "Removed Registry value %s", true},
    {"glu_CannotRemoveFileS", "Cannot delete file %s", true},
    {"glu_FileModifiedS", "File %s was modified - not deleted.", true},
    {"glu_CannotFindFileS", "File %s not found.", true},
    {"glu_CannotRemoveFolderS", "Cannot remove folder %s.", true},
    {"glu_CannotFindFolderS", "Folder %s not found.", true},
    {"glu_CannotFindRegistryItemS", "Cannot find Registry value %s.", true},
    {"glu_CannotRemoveRegistryItemS", "Cannot remove Registry value %s.", true},
    {"glu_ClosingAgent", "Stopping Kestrova Agent...", false},
    {"glu_RemovedUninstall", "Removed uninstall info from Registry.", false},
    {"glu_CannotRemoveUninstall", "Cannot remove uninstall info from Registry.", false},
    {"glu_NotInstalledHereS", "%s is not part of this installation - not removed.", true},
    {"glu_DeleteAtRestartS", "File %s is in use - it will be deleted at the next restart.", true},
    {"glu_FolderAtRestartS", "Folder %s will be removed at the next restart.", true},
    {"glu_LeftUntilRestartS",
     "Uninstallation incomplete: %s file(s) in use will be deleted at the next restart.", true},
    {"glu_NotRemovedS", "Uninstallation incomplete: %s file(s) could not be deleted.", true},
    {"glu_LogIncomplete", "The installation history file is incomplete: only what it lists was removed.",
     false},
    {"glu_UninstallKeptS", "Uninstall info kept in the Registry: %s is still there.", true},
    {"glu_RunValueKeptS", "Registry value %s kept: the Agent it starts is still there.", true},
    {"glu_ItemsKeptS", "Uninstallation incomplete: %s item(s) of the installation history were kept.", true},
};

char g_szTexts[kUninstallTextCount][kLanguageTextSize];

}  // namespace

void LoadUninstallTextDefaults()
{
    LoadLanguageTextDefaults(kTexts, kUninstallTextCount, &g_szTexts[0][0], kLanguageTextSize);
}

void ReadUninstallTextsFromRegistry()
{
    ReadLanguageTexts(kTexts, kUninstallTextCount, &g_szTexts[0][0], kLanguageTextSize, &ui::SameConversions);
}

const char* UninstallText(UninstallTextId id)
{
    return g_szTexts[id];
}

const char* UninstallTextName(UninstallTextId id)
{
    return kTexts[id].name;
}

const char* UninstallDefaultText(UninstallTextId id)
{
    return kTexts[id].defaultText;
}

std::string FormatUninstallText(UninstallTextId id, const char* argument)
{
    // Only a format whose conversions are those of its English text is ever stored, so one text
    // argument is all it takes.
    std::string line = kTexts[id].isFormat ? ui::Format(UninstallText(id), argument ? argument : "")
                                           : std::string(UninstallText(id));
    if (line.size() > kMaxProgressLine) line.resize(kMaxProgressLine);
    return line;
}
