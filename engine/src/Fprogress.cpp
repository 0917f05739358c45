// Where progress texts go: the host's callback, the progress window, or both.
#include "Fprogress.h"

#include <memory>

#include "FormProgress.h"
#include "UTxLog.h"
#include "Usync.h"

namespace {

ProgressProc g_pfnProgressProc = nullptr;
// Held by its owner: the label goes with the window, while both objects still exist.
std::unique_ptr<ui::Owner<TFormProgress>> FormProgress;
ui::WindowClass g_ProgressWindowClass("TFormProgress");

// The window, when it still exists: a window dies with the thread that made it.
TFormProgress* CurrentWindow()
{
    if (FormProgress && !FormProgress->Exists()) FormProgress.reset();
    return FormProgress.get();
}

bool BelongsToThisThread(const ui::Window& window)
{
    return ::GetWindowThreadProcessId(window.Handle(), nullptr) == ::GetCurrentThreadId();
}

void SetLabel(const char* text)
{
    TFormProgress* form = CurrentWindow();
    // Setting the text of another thread's window waits for that thread, which may itself be
    // waiting for the engine lock that this thread holds.
    if (!form || !BelongsToThisThread(*form)) return;
    form->LabelProgress.SetCaption(text ? text : "");
    // Painted now: the calling thread is busy and does not pump messages until the operation ends.
    form->LabelProgress.RepaintNow();
}

}  // namespace

void ReportProgress(const char* text)
{
    if (!g_Synchronization.IsHeldByCurrentThread()) return;
    if (!text) text = "";
    if (g_pfnProgressProc) g_pfnProgressProc(text);
    SetLabel(text);
}

void SetProgressProc(ProgressProc proc)
{
    g_pfnProgressProc = proc;
}

void ShowProgressWindow()
{
    CLogScope scope("ShowProgressWindow");
    if (g_pfnProgressProc || CurrentWindow()) return;
    if (!g_ProgressWindowClass.Register()) return;
    auto form = std::make_unique<ui::Owner<TFormProgress>>();
    if (!form->Create(g_ProgressWindowClass)) return;
    FormProgress = std::move(form);
    FormProgress->Show();
}

void SetProgressMsg(const char* text)
{
    CLogScope scope("SetProgressMsg");
    SetLabel(text);
}

void HideProgressWindow()
{
    CLogScope scope("HideProgressWindow");
    if (!CurrentWindow()) return;
    if (BelongsToThisThread(*FormProgress)) FormProgress->Hide();
    FormProgress.reset();
}

bool ProgressWindowExists()
{
    return CurrentWindow() != nullptr;
}

void ReleaseProgressWindow()
{
    FormProgress.reset();
    g_ProgressWindowClass.Unregister();
}
