// The program's side of the form layer: its message loop, the wait cursor and what happens to an
// exception that reaches a handler.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

class App {
public:
    // A program with forms: loads the common controls and shows the error box for an exception that
    // reaches a handler (without Init only its "!" log line is written, as in a DLL or a program
    // without a user in front of it).
    static void Init(const std::string& title);
    static const std::string& Title();
    // The title the error box shows from now on (the program's caption in the user's language).
    static void SetTitle(const std::string& title);

    // The message loop, with the dialog keys of the active form; returns WM_QUIT's exit code.
    static int Run();
    // Handles every message already waiting, then returns.
    static void ProcessMessages();
    // Ends Run (PostQuitMessage).
    static void Terminate(int exitCode = 0);

    // Translates and dispatches one message; the dialog keys (Tab, Enter, Esc) go to the form that
    // holds the window the message is for.
    static void DispatchOne(MSG& msg);

    // An exception that reached a handler of `message` (null `what`: not a std::exception): a "!" log
    // line, and the error box once Init ran. The loop goes on.
    static void HandleException(const char* what, UINT message);
};

// The hourglass while a scope runs, over every window of the layer; scopes nest.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    static bool Active();

private:
    HCURSOR m_hPrevious;
};

}  // namespace ui
