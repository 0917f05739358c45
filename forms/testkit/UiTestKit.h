// Tools for tests of windows in the test's own process: pictures of a window, the real messages of
// a user's actions, and a record of the events they raised.
//
//   uitest::EventLog log;
//   box.onClick = log.Event<ui::CheckBox>("click");
//   uitest::PressKey(box.Handle(), VK_SPACE);
//   EXPECT_EQ(log.Take(), (std::vector<std::string>{"click"}));
//   uitest::Picture shot = uitest::Capture(form.Handle());
//   shot.SavePng(uitest::ShotPath("form.png"));
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "KvWindowPicture.h"
#include "UiForm.h"

namespace uitest {

// The events a test saw, in order, as short names.
class EventLog {
public:
    void Add(const std::string& event) { m_Events.push_back(event); }
    // An event handler that records `name` (the sender's arguments are not looked at).
    template <typename... Args> std::function<void(Args&...)> Event(const std::string& name)
    {
        return [this, name](Args&...) { Add(name); };
    }
    // Everything recorded since the last Take.
    std::vector<std::string> Take();
    const std::vector<std::string>& Events() const { return m_Events; }

private:
    std::vector<std::string> m_Events;
};

// The messages of a user's actions, sent to the window as the system would deliver them.
void Click(HWND button);                           // BM_CLICK
void ClickAt(HWND wnd, int x, int y);              // WM_LBUTTONDOWN, WM_LBUTTONUP in client coordinates
void PressKey(HWND wnd, UINT virtualKey);          // WM_KEYDOWN, WM_KEYUP (and WM_CHAR for a character key)
void TypeText(HWND wnd, const std::string& text);  // WM_CHAR per character
// A key through the thread's queue and the dialog keys of its form (Tab, Enter, Esc): posted, then
// handled by the loop that runs (a modal form's, or ProcessMessages here).
void PostKey(HWND wnd, UINT virtualKey);
bool SelectListItem(HWND listView, int item);  // LVM_SETITEMSTATE (selected, focused)

// Runs `act` on the next modal form at the first idle of its loop (after its shown state and the
// messages posted while it opened), to press its buttons as a user would. `act` may ask for the
// modal form it opens in turn.
void OnNextModal(std::function<void(ui::Form&)> act);

// Handles every message already waiting, then one posted after them, so that whatever they caused
// has happened when it returns.
void Settle();

// A picture of a window of this process: the whole window, frame and children.
using Picture = testsupport::WindowPicture;
Picture Capture(HWND wnd);

// Where pictures go (build/shots/), made on first use.
using testsupport::ShotPath;

}  // namespace uitest
