// Small owners for Windows handles, so every early return frees what was taken.
#pragma once

#include <windows.h>

#include <utility>

template <typename T, auto Close, T Invalid = T{}> class Owned {
public:
    Owned() = default;
    explicit Owned(T v) : v_(v) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& o) noexcept : v_(std::exchange(o.v_, Invalid)) {}
    Owned& operator=(Owned&& o) noexcept
    {
        reset(std::exchange(o.v_, Invalid));
        return *this;
    }
    ~Owned() { reset(); }

    T get() const { return v_; }
    explicit operator bool() const { return v_ != Invalid; }
    void reset(T v = Invalid)
    {
        if (v_ != Invalid) Close(v_);
        v_ = v;
    }
    T release() { return std::exchange(v_, Invalid); }

private:
    T v_ = Invalid;
};

namespace txdetail {
inline void CloseHandleChecked(HANDLE h)
{
    ::CloseHandle(h);
}
inline void CloseFind(HANDLE h)
{
    ::FindClose(h);
}
inline void CloseKey(HKEY k)
{
    ::RegCloseKey(k);
}
inline void DeleteGdiObject(HGDIOBJ o)
{
    ::DeleteObject(o);
}
inline void DeleteMemDC(HDC dc)
{
    ::DeleteDC(dc);
}
inline void FreeGlobal(HGLOBAL g)
{
    ::GlobalFree(g);
}
inline void FreeLocal(HLOCAL l)
{
    ::LocalFree(l);
}
inline void FreeLib(HMODULE m)
{
    ::FreeLibrary(m);
}
}  // namespace txdetail

using Handle = Owned<HANDLE, &txdetail::CloseHandleChecked>;  // events, threads, processes, mutexes
using RegKey = Owned<HKEY, &txdetail::CloseKey>;
using GdiObject = Owned<HGDIOBJ, &txdetail::DeleteGdiObject>;
using MemDC = Owned<HDC, &txdetail::DeleteMemDC>;
using GlobalBlock = Owned<HGLOBAL, &txdetail::FreeGlobal>;
using LocalBlock = Owned<HLOCAL, &txdetail::FreeLocal>;
using Library = Owned<HMODULE, &txdetail::FreeLib>;

// A file or find handle, whose "none" value is INVALID_HANDLE_VALUE.
template <auto Close> class InvalidableHandle {
public:
    InvalidableHandle() = default;
    explicit InvalidableHandle(HANDLE h) : h_(h) {}
    InvalidableHandle(const InvalidableHandle&) = delete;
    InvalidableHandle& operator=(const InvalidableHandle&) = delete;
    InvalidableHandle(InvalidableHandle&& o) noexcept : h_(std::exchange(o.h_, INVALID_HANDLE_VALUE)) {}
    InvalidableHandle& operator=(InvalidableHandle&& o) noexcept
    {
        reset(std::exchange(o.h_, INVALID_HANDLE_VALUE));
        return *this;
    }
    ~InvalidableHandle() { reset(); }

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    void reset(HANDLE h = INVALID_HANDLE_VALUE)
    {
        if (h_ != INVALID_HANDLE_VALUE && h_ != nullptr) Close(h_);
        h_ = h;
    }
    HANDLE release() { return std::exchange(h_, INVALID_HANDLE_VALUE); }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

using FileHandle = InvalidableHandle<&txdetail::CloseHandleChecked>;
using FindHandle = InvalidableHandle<&txdetail::CloseFind>;

// A GDI object selected into a DC for the lifetime of the guard.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? ::SelectObject(dc, obj) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard()
    {
        if (old_) ::SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A window DC released on every path: of the client area, or with `wholeWindow` of the window with
// its frame (GetWindowDC).
class WindowDC {
public:
    explicit WindowDC(HWND wnd, bool wholeWindow = false)
        : wnd_(wnd), dc_(wholeWindow ? ::GetWindowDC(wnd) : ::GetDC(wnd))
    {
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC()
    {
        if (dc_) ::ReleaseDC(wnd_, dc_);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND wnd_;
    HDC dc_;
};

// Locked view of a global block.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL g) : g_(g), p_(g ? ::GlobalLock(g) : nullptr) {}
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    ~GlobalLockGuard()
    {
        if (p_) ::GlobalUnlock(g_);
    }
    void* get() const { return p_; }

private:
    HGLOBAL g_;
    void* p_;
};

// Holds a critical section for the lifetime of the guard.
class CriticalSectionGuard {
public:
    explicit CriticalSectionGuard(CRITICAL_SECTION& cs) : cs_(cs) { ::EnterCriticalSection(&cs_); }
    CriticalSectionGuard(const CriticalSectionGuard&) = delete;
    CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;
    ~CriticalSectionGuard() { ::LeaveCriticalSection(&cs_); }

private:
    CRITICAL_SECTION& cs_;
};
