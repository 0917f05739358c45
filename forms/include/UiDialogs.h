// The system's dialogs and the shell behind one small set of replaceable functions, so that tests
// answer them instead of a user:
//
//   ui::DialogsOverride fake;   // the real ones come back when it goes
//   fake->messageBox = [&](HWND, const std::string& text, const std::string&, UINT) { ...; return IDOK; };
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "UiGraphics.h"

namespace ui {

// What an open or save dialog is asked, and the file it gives.
struct FileDialogOptions {
    std::string title;
    std::string initialDir;
    std::string filter;  // "Bitmaps|*.bmp|All files|*.*"
    std::string defaultExt;
    std::string fileName;  // in: proposed name; out: the chosen path
};

// What the font dialog offers beside face, style, size and script: only what the caller keeps, so
// that no choice is silently dropped.
struct FontEffects {
    bool underline = true;
    bool strikeout = true;
    bool color = true;
};

struct Dialogs {
    // MessageBoxA: the button pressed (IDOK, ...).
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT flags)>
        messageBox;
    // ChooseColorA: false when cancelled.
    std::function<bool(HWND owner, COLORREF& color)> pickColor;
    // ChooseFontA for existing screen fonts without simulations or vector fonts, offering the effects
    // named: false when cancelled.
    std::function<bool(HWND owner, FontSpec& font, COLORREF& color, const FontEffects& offered)> pickFont;
    // GetOpenFileNameA (the file must exist) and GetSaveFileNameA (asks before overwriting).
    std::function<bool(HWND owner, FileDialogOptions& options)> pickOpenFile;
    std::function<bool(HWND owner, FileDialogOptions& options)> pickSaveFile;
    // ShellExecuteA "open" of a document or folder.
    std::function<bool(HWND owner, const std::string& path)> shellOpen;
    // CreateProcessA of a command line, without waiting for it.
    std::function<bool(const std::string& commandLine, const std::string& folder)> startProcess;
};

// The real dialogs of the system.
Dialogs SystemDialogs();
// The set the program uses now: the system's unless a test replaced them.
Dialogs& TheDialogs();

// Replaces the dialogs for a scope (the replacements start as the system's own).
class DialogsOverride {
public:
    DialogsOverride() : m_Saved(TheDialogs()) {}
    ~DialogsOverride() { TheDialogs() = m_Saved; }
    DialogsOverride(const DialogsOverride&) = delete;
    DialogsOverride& operator=(const DialogsOverride&) = delete;
    Dialogs* operator->() { return &TheDialogs(); }

private:
    Dialogs m_Saved;
};

}  // namespace ui
