#include "manager_e2e_support.h"

#include "KvTestSupport.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

namespace managertest {

std::string InstalledFolder()
{
    return testsupport::ExeFolder() + "e2e\\";
}

std::string DataFolder()
{
    char appData[MAX_PATH + 1] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    return std::string(appData) + "\\Kestrova";
}

void ResetUser(const std::string& sampleFolder)
{
    testsupport::DeleteRegTree(HKEY_CURRENT_USER, kSettingsKey);
    testsupport::DeleteRegTree(HKEY_CURRENT_USER, kStandInKey);
    testsupport::RemoveTree(DataFolder());
    if (sampleFolder.empty())
        testsupport::DeleteRegValue(HKEY_LOCAL_MACHINE, kSetupKey, "InstalledImgDir");
    else
        testsupport::WriteRegValue(HKEY_LOCAL_MACHINE, kSetupKey, "InstalledImgDir", REG_SZ,
                                   testsupport::TextData(sampleFolder));
}

void MakeSampleFolder(const std::string& folder)
{
    ::CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : {"one.jpg", "two.jpg", "three.jpg"})
        ::CopyFileA((testsupport::ExeFolder() + "fixtures\\jpeg\\" + name).c_str(),
                    (folder + "\\" + name).c_str(), FALSE);
}

std::string WindowText(HWND wnd)
{
    char text[512] = {};
    ::GetWindowTextA(wnd, text, sizeof text);
    return text;
}

namespace {

struct WindowSearch {
    DWORD processId;
    std::string text;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND wnd, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (search->className) {
        char name[64] = {};
        ::GetClassNameA(wnd, name, sizeof name);
        if (::lstrcmpiA(name, search->className) != 0) return TRUE;
    }
    if (!search->text.empty() && WindowText(wnd) != search->text) return TRUE;
    search->found = wnd;
    return FALSE;
}

BOOL CALLBACK TakeVisibleEdit(HWND wnd, LPARAM param)
{
    char name[32] = {};
    ::GetClassNameA(wnd, name, sizeof name);
    if (::lstrcmpiA(name, "Edit") != 0 || !::IsWindowVisible(wnd)) return TRUE;
    *reinterpret_cast<HWND*>(param) = wnd;
    return FALSE;
}

DWORD U32(const std::string& data, size_t offset)
{
    DWORD value = 0;
    std::memcpy(&value, data.data() + offset, 4);
    return value;
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const std::string& caption)
{
    return testsupport::FindTopWindow(processId, {nullptr, caption.c_str(), true});
}

HWND FindChild(HWND parent, const std::string& text, const char* className)
{
    WindowSearch search = {0, text, className, nullptr};
    ::EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool SelectSetting(HWND dialog, const std::string& caption)
{
    const HWND tree = FindChild(dialog, "", "SysTreeView32");
    if (!tree) return false;
    std::vector<LPARAM> pending = {::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)};
    while (!pending.empty()) {
        const LPARAM node = pending.back();
        pending.pop_back();
        if (!node) continue;
        ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, node);
        if (FindChild(dialog, caption, "Static")) return true;
        pending.push_back(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, node));
        pending.push_back(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, node));
    }
    return false;
}

HWND VisibleEdit(HWND dialog)
{
    HWND found = nullptr;
    ::EnumChildWindows(dialog, TakeVisibleEdit, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool ReadFolderList(const std::string& path, std::vector<StoredFolder>& folders)
{
    bool ok = false;
    const std::string data = testsupport::ReadFileBytes(path, &ok);
    if (!ok || data.size() < 144 || U32(data, 0) != 0xFF550015) return false;
    const DWORD count = U32(data, 12);
    size_t at = 144;
    folders.clear();
    for (DWORD i = 0; i < count; ++i) {
        if (at + 40 > data.size() || U32(data, at) != 0xFEFDFCFB) return false;
        const DWORD length = U32(data, at + 4);
        if (at + 40 + length > data.size() || length == 0) return false;
        StoredFolder folder;
        folder.path.assign(data.data() + at + 40, length - 1);
        folder.flags = U32(data, at + 8);
        folder.imageCount = U32(data, at + 16);
        folders.push_back(folder);
        at += 40 + length;
    }
    return at == data.size();
}

bool ReadRecordFile(const std::string& path, DWORD& count, std::vector<DWORD>& shownCounts)
{
    bool ok = false;
    const std::string data = testsupport::ReadFileBytes(path, &ok);
    if (!ok || data.size() < 144 || U32(data, 0) != 0xFF550014) return false;
    count = U32(data, 12);
    if (data.size() != 144 + 80 * static_cast<size_t>(count)) return false;
    shownCounts.clear();
    for (DWORD i = 0; i < count; ++i)
        shownCounts.push_back(U32(data, 144 + 80 * i + 20));
    return true;
}

ManagerRun::~ManagerRun()
{
    if (m_Process.ExitCode() == STILL_ACTIVE) Close(10000);
}

bool ManagerRun::Start(testsupport::LogReceiver& log, const std::string& folder)
{
    log.Clear();
    return m_Process.Start("\"" + folder + "KvManag.exe\"");
}

bool ManagerRun::WaitReady(testsupport::LogReceiver& log, DWORD timeoutMs)
{
    return testsupport::PumpUntil(
        [&] {
            m_hMain = FindProcessWindow(m_Process.ProcessId(), "Kestrova Manager 1.07");
            return m_hMain && Logged(log, "Check for changes done");
        },
        timeoutMs);
}

bool ManagerRun::Close(DWORD timeoutMs)
{
    if (m_hMain) ::PostMessageA(m_hMain, WM_CLOSE, 0, 0);
    return m_Process.WaitPumping(timeoutMs);
}

bool PickNeighbour(DWORD processId, bool next)
{
    HWND picker = nullptr;
    if (!testsupport::PumpUntil([&] { return (picker = FindProcessWindow(processId, "Folders")) != nullptr; },
                                15000))
        return false;
    const HWND tree = FindChild(picker, "", "SysTreeView32");
    const HWND ok = FindChild(picker, "OK", "Button");
    if (!tree || !ok) return false;
    const LPARAM opened = ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    const LPARAM other = ::SendMessageA(tree, TVM_GETNEXTITEM, next ? TVGN_NEXT : TVGN_PREVIOUS, opened);
    if (!opened || !other) return false;
    ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, other);
    ::PostMessageA(ok, BM_CLICK, 0, 0);
    return true;
}

bool Logged(const testsupport::LogReceiver& log, const std::string& text)
{
    for (const std::string& line : log.Texts())
        if (line.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace managertest
