#include "SingleInstance.h"

#include "UTxLog.h"

namespace manager {

namespace {

constexpr const char* kInstanceName = "Local\\KestrovaManagerInstance";
// A Manager that has just started publishes its window once it is made.
constexpr DWORD kWindowWaitMs = 5000;

struct PublishedWindow {
    DWORD window;  // the HWND's value; window handles fit 32 bits in every process
};

}  // namespace

bool ManagerInstance::Claim()
{
    const HANDLE mapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                sizeof(PublishedWindow), kInstanceName);
    const DWORD error = ::GetLastError();
    m_hMapping.reset(mapping);
    if (!m_hMapping) {
        // Without the object one Manager cannot be told from two; the start goes on.
        LogLastErrorF("!The Manager's instance object cannot be made");
        return true;
    }
    return error != ERROR_ALREADY_EXISTS;
}

void ManagerInstance::Publish(HWND mainWindow)
{
    if (!m_hMapping) return;
    void* view = ::MapViewOfFile(m_hMapping.get(), FILE_MAP_WRITE, 0, 0, sizeof(PublishedWindow));
    if (!view) return;
    static_cast<volatile PublishedWindow*>(view)->window =
        static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(mainWindow));
    ::UnmapViewOfFile(view);
}

bool ManagerInstance::BringRunningToFront()
{
    Handle mapping(::OpenFileMappingA(FILE_MAP_READ, FALSE, kInstanceName));
    if (!mapping) return false;
    void* view = ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, sizeof(PublishedWindow));
    if (!view) return false;
    HWND window = nullptr;
    const DWORD start = ::GetTickCount();
    for (;;) {
        window = reinterpret_cast<HWND>(
            static_cast<ULONG_PTR>(static_cast<volatile const PublishedWindow*>(view)->window));
        if ((window && ::IsWindow(window)) || ::GetTickCount() - start >= kWindowWaitMs) break;
        ::Sleep(100);
    }
    ::UnmapViewOfFile(view);
    if (!window || !::IsWindow(window)) return false;
    if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
    // A modal dialog of the running Manager is what the user works in.
    ::SetForegroundWindow(::GetLastActivePopup(window));
    return true;
}

}  // namespace manager
