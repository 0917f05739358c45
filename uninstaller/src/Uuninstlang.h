// The uninstaller's texts: English defaults, replaced by the glu_ texts the installer left in
// HKEY_LOCAL_MACHINE \Language.
#pragma once

#include <string>

enum UninstallTextId {
    glu_Caption,
    glu_Usage,
    glu_Complete,
    glu_Start,
    glu_Cancel,
    glu_Close,
    glu_CannotUninstall,
    glu_UninstallFileNotFoundS,  // the texts ending in S are formats with one %s
    glu_CannotReadUninstallFileS,
    glu_RemovedFolderS,
    glu_RemovedFileS,
    glu_RemovedRegistryItemS,
    glu_CannotRemoveFileS,
    glu_FileModifiedS,
    glu_CannotFindFileS,
    glu_CannotRemoveFolderS,
    glu_CannotFindFolderS,
    glu_CannotFindRegistryItemS,
    glu_CannotRemoveRegistryItemS,
    glu_ClosingAgent,
    glu_RemovedUninstall,
    glu_CannotRemoveUninstall,
    // Removing only what this installation made, and what stays until the next restart.
    glu_NotInstalledHereS,
    glu_DeleteAtRestartS,
    glu_FolderAtRestartS,
    glu_LeftUntilRestartS,
    glu_NotRemovedS,
    // What stays when the log was cut short or named what this installation could not remove.
    glu_LogIncomplete,
    glu_UninstallKeptS,
    glu_RunValueKeptS,
    glu_ItemsKeptS,
    kUninstallTextCount
};

void LoadUninstallTextDefaults();
// Takes each text that reads whole into 512 bytes as REG_SZ or REG_EXPAND_SZ (not expanded); a format
// only when it takes the same arguments as its English text. Without the key the texts stay.
void ReadUninstallTextsFromRegistry();

const char* UninstallText(UninstallTextId id);
const char* UninstallTextName(UninstallTextId id);
const char* UninstallDefaultText(UninstallTextId id);

// Progress lines are cut to this many characters: a line of the install log may be 65535 long.
constexpr size_t kMaxProgressLine = 1024;
// A format text (ending in S) filled in with `argument`, cut to kMaxProgressLine characters.
std::string FormatUninstallText(UninstallTextId id, const char* argument);
