// The window list and the conflicting-program check, against real windows of this process and of
// helper programs started under chosen file names.
#include "KvTestSupport.h"
#include "Uprocessenum.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// A visible top-level window of this process.
class OwnWindow {
public:
    explicit OwnWindow(const char* title)
    {
        static const bool registered = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = ::DefWindowProcA;
            wc.hInstance = ::GetModuleHandleA(nullptr);
            wc.lpszClassName = "KvProcessesTestWindow";
            return ::RegisterClassA(&wc) != 0;
        }();
        EXPECT_TRUE(registered);
        m_hWnd = ::CreateWindowExA(0, "KvProcessesTestWindow", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                   100, 100, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        EXPECT_NE(m_hWnd, nullptr);
    }
    ~OwnWindow() { ::DestroyWindow(m_hWnd); }
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;
    HWND get() const { return m_hWnd; }

private:
    HWND m_hWnd = nullptr;
};

// The window helper copied to `fileName` and started with `title`; ended with the test.
class OtherProgram {
public:
    OtherProgram(const char* fileName, const char* title)
    {
        const std::string folder = testsupport::ExeFolder() + "procnames";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        m_sPath = folder + "\\" + fileName;
        const std::string helper = testsupport::ExeFolder() + "processes_window_helper.exe";
        EXPECT_TRUE(::CopyFileA(helper.c_str(), m_sPath.c_str(), FALSE)) << m_sPath;
        std::string commandLine = "\"" + m_sPath + "\" " + title;
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        EXPECT_TRUE(::CreateProcessA(m_sPath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                     folder.c_str(), &si, &m_Process));
        testsupport::PumpUntil(
            [&] {
                m_hWnd = testsupport::FindTopWindow(m_Process.dwProcessId, {nullptr, nullptr, true});
                return m_hWnd != nullptr;
            },
            5000);
        EXPECT_NE(m_hWnd, nullptr) << "no window of " << fileName;
    }
    ~OtherProgram()
    {
        if (m_Process.hProcess) {
            ::TerminateProcess(m_Process.hProcess, 0);
            ::WaitForSingleObject(m_Process.hProcess, testsupport::ScaledMs(5000));
            ::CloseHandle(m_Process.hProcess);
            ::CloseHandle(m_Process.hThread);
        }
        ::DeleteFileA(m_sPath.c_str());
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;
    DWORD ProcessId() const { return m_Process.dwProcessId; }
    const std::string& Path() const { return m_sPath; }

private:
    std::string m_sPath;
    PROCESS_INFORMATION m_Process = {};
    HWND m_hWnd = nullptr;
};

std::string Find(const char* list, int outSize = 254)
{
    CProcessInfo info;
    std::vector<char> out(static_cast<size_t>(outSize), 'x');
    if (!info.FindConflicting(list, out.data(), outSize)) return "<none>";
    return out.data();
}

}  // namespace

TEST(ProcessInfo, ListsOwnVisibleWindowsWithTitleAndProgram)
{
    OwnWindow window("Processes test window");
    CProcessInfo info;
    EXPECT_TRUE(info.Usable);
    EXPECT_TRUE(info.IsNT);
    info.RefreshWindowList();
    bool seen = false;
    for (int i = 0; i < info.WindowCount(); ++i) {
        char program[128];
        char title[256];
        ASSERT_TRUE(info.GetWindowInfo(i, program, sizeof(program), title, sizeof(title)));
        if (std::strcmp(title, "Processes test window") == 0) {
            seen = true;
            EXPECT_STREQ(program, "common_tests.exe");
        }
    }
    EXPECT_TRUE(seen);
    char program[128] = "x";
    char title[256] = "x";
    EXPECT_FALSE(info.GetWindowInfo(info.WindowCount(), program, sizeof(program), title, sizeof(title)));
    EXPECT_STREQ(program, "");
    EXPECT_STREQ(title, "");
}

TEST(ProcessInfo, SignatureFollowsVisibleWindowsNotTitles)
{
    CProcessInfo info;
    info.RefreshWindowList();
    const DWORD before = info.GetWindowListSignature();
    {
        OwnWindow window("Signature window");
        info.RefreshWindowList();
        const DWORD with = info.GetWindowListSignature();
        EXPECT_EQ(with, before + static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window.get())));
        ::SetWindowTextA(window.get(), "Signature window, new title");
        info.RefreshWindowList();
        EXPECT_EQ(info.GetWindowListSignature(), with);
        ::ShowWindow(window.get(), SW_HIDE);
        info.RefreshWindowList();
        EXPECT_EQ(info.GetWindowListSignature(), before);
    }
}

TEST(ProcessInfo, ProgramNameOfAnotherProcessAndTheImageNameFallback)
{
    OtherProgram other("Winword.EXE", "Document1 - Word");
    CProcessInfo info;
    char path[512];
    ASSERT_TRUE(info.GetProcessFileName(other.ProcessId(), path, sizeof(path)));
    EXPECT_EQ(lstrcmpiA(path, other.Path().c_str()), 0) << path;

    // The path by which a 64-bit program is named on 64-bit Windows names this one the same way.
    char imageName[512];
    ASSERT_TRUE(QueryProcessImageName(other.ProcessId(), imageName, sizeof(imageName)));
    EXPECT_EQ(lstrcmpiA(imageName, other.Path().c_str()), 0) << imageName;

    char small[8] = "x";
    EXPECT_FALSE(QueryProcessImageName(other.ProcessId(), small, sizeof(small)));
    EXPECT_STREQ(small, "");
    EXPECT_FALSE(info.GetProcessFileName(0xFFFFFFF0u, path, sizeof(path)));
    EXPECT_STREQ(path, "");
}

TEST(ProcessInfo, FindConflictingByProgramAndTitle)
{
    OtherProgram notepad("NOTEPADX.EXE", "Untitled - Paint");
    OtherProgram word("Winword.EXE", "Paint Shop");
    OtherProgram untitled("untitled.exe", "");
    OtherProgram oneChar("onechar.exe", "P");
    // A file name that does not fit the 128-byte program name leaves the program unnamed.
    OtherProgram unnamed((std::string(130, 'u') + ".exe").c_str(), "Nameless");
    struct Case {
        const char* list;
        const char* expected;
    };
    const Case cases[] = {
        {"notepadx.exe", "Untitled - Paint (notepadx.exe)"},  // names compare without case
        {"WINWORD.exe", "Paint Shop (Winword.exe)"},          // only the extension is lowered
        {"Paint", "Paint Shop (Winword.exe)"},                // found at position 0 of the title
        {"- Paint", "Untitled - Paint (notepadx.exe)"},       // found at position 9
        {" Paint", "<none>"},                                 // found only at position 10
        {"paint", "<none>"},                                  // the title search keeps case
        {"untitled.exe", "untitled.exe"},                     // no title: the program name alone
        {"P", "Paint Shop (Winword.exe)"},                    // a one-character title never matches
        {"onechar.exe", "P (onechar.exe)"},
        {"Nameless", "Nameless ()"},
        {"nothing.exe;;Shop", "Paint Shop (Winword.exe)"},
        {"", "<none>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Find(c.list), c.expected) << "list: " << c.list;
}

TEST(ProcessInfo, EmptyEntriesMatchNothing)
{
    OwnWindow window("A window with a long title");
    for (const char* list : {";", ";;", "nothing.exe;", ";nothing.exe"})
        EXPECT_EQ(Find(list), "<none>") << "list: " << list;
}

TEST(ProcessInfo, LongTitlesAreShortenedAndTooSmallOutputsGetTheTitleAlone)
{
    OtherProgram other("longtitle.exe", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
    EXPECT_EQ(Find("longtitle.exe"), "ABCDEFGHIJKLMNOPQRSTUVWXY... (longtitle.exe)");
    // 28 + 13 + 4 exceeds 40: the title alone, cut to fit with its terminator.
    EXPECT_EQ(Find("longtitle.exe", 40), "ABCDEFGHIJKLMNOPQRSTUVWXY...");
    EXPECT_EQ(Find("longtitle.exe", 10), "ABCDEFGHI");
}

TEST(ProcessInfo, AtMost128WindowsAreExamined)
{
    // New windows go to the top of the order, so the one made first is the one left out.
    OwnWindow marker("Marker window");
    std::vector<std::unique_ptr<OwnWindow>> others;
    for (int i = 0; i < CProcessInfo::kMaxWindows; ++i)
        others.push_back(std::make_unique<OwnWindow>(("Filler " + std::to_string(i)).c_str()));
    CProcessInfo info;
    info.RefreshWindowList();
    EXPECT_EQ(info.WindowCount(), CProcessInfo::kMaxWindows);
    EXPECT_EQ(Find("Marker"), "<none>");
    EXPECT_EQ(Find("Filler 0"), "Filler 0 (common_tests.exe)");
}

TEST(ConflictCheck, EvaluatesOnlyWhenTheWindowsChange)
{
    ResetConflictCheck();
    SetConflictingPrgs("nothing-to-find.exe");
    CheckConflictingWindows();
    EXPECT_TRUE(g_ConflictCheck.bWindowsChanged);
    EXPECT_FALSE(g_ConflictCheck.bConflictFound);

    OtherProgram other("blocker.exe", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
    SetConflictingPrgs("nothing.exe;blocker.exe");
    g_ConflictCheck.bWindowsChanged = false;
    CheckConflictingWindows();
    EXPECT_TRUE(g_ConflictCheck.bWindowsChanged);
    EXPECT_TRUE(g_ConflictCheck.bConflictFound);
    // The display text is cut once more, so the program name is lost.
    EXPECT_STREQ(g_ConflictCheck.szConflictText, "ABCDEFGHIJKLMNOPQRSTUVWXY...");

    // The same windows: the earlier answer stands, even for another list.
    g_ConflictCheck.bWindowsChanged = false;
    SetConflictingPrgs("nothing.exe");
    CheckConflictingWindows();
    EXPECT_FALSE(g_ConflictCheck.bWindowsChanged);
    EXPECT_TRUE(g_ConflictCheck.bConflictFound);

    {
        OwnWindow window("Another window");
        CheckConflictingWindows();
        EXPECT_TRUE(g_ConflictCheck.bWindowsChanged);
        EXPECT_FALSE(g_ConflictCheck.bConflictFound);
        EXPECT_STREQ(g_ConflictCheck.szConflictText, "");
    }
    ResetConflictCheck();
}

TEST(ConflictCheck, ListIsCopiedWithinItsBuffer)
{
    const std::string longList(3000, 'a');
    SetConflictingPrgs(longList.c_str());
    EXPECT_EQ(std::strlen(g_ConflictCheck.szConflictingPrgs), sizeof(g_ConflictCheck.szConflictingPrgs) - 1);
    SetConflictingPrgs(nullptr);
    EXPECT_STREQ(g_ConflictCheck.szConflictingPrgs, "");
}
