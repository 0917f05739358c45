// Progress texts of the engine and where they go: the progress window or the host's callback.
#pragma once

#include <cstdarg>

enum ProgressTextId {
    gld_ReadingS = 0,
    gld_ResamplingDDDD,
    gld_CalculatingColor,
    gld_Saving,
    gld_ErrorNotConfigured,
    gld_ErrorFileNotExist,
    gld_ErrorCannotReadWrite,
    gld_CheckingChanges,
    gld_RandomSelection,
    gld_ErrorNoImageFound,
    gld_SelectedImage,
    gld_RotatingImage,
    gld_Count
};

typedef void(__stdcall* ProgressProc)(const char* text);

// Loads the texts once per process (English defaults, overridden from the registry).
void LoadProgressTexts();
// The current text of an entry; its English default until the texts are loaded.
const char* ProgressText(ProgressTextId id);
// Formats an entry's text with the arguments (bounded) and reports it.
void ReportProgressF(ProgressTextId id, ...);

// Hands a text to the progress callback and to the window's label. Only the thread that holds the
// engine lock drives them; from any other thread (an unlocked export) the text is dropped.
void ReportProgress(const char* text);
void SetProgressProc(ProgressProc proc);
void ShowProgressWindow();
void SetProgressMsg(const char* text);
void HideProgressWindow();
bool ProgressWindowExists();
// Destroys the window and unregisters its class: the library is being unloaded.
void ReleaseProgressWindow();
