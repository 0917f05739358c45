// The real KvApi.dll, loaded from the test folder: its export and import tables, its exports' answers
// to bad arguments, its cancel flag, and its progress window across loads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "WpApi.h"
#include "Wcommon.h"
#include "KvTestSupport.h"
#include "interface_support.h"

namespace {

using interface_test::RunProgram;
using testsupport::ExeFolder;
using testsupport::LogReceiver;

struct ExportEntry {
    const char* name;
    WORD ordinal;
};

const ExportEntry kExports[] = {
    {"LoadBmpFromJpgFileEx", 1},
    {"WpApi_ShowProgressWindow", 2},
    {"WpApi_SetProgressMsg", 3},
    {"WpApi_HideProgressWindow", 4},
    {"WpApi_RecalcRightMarginForCalendar", 5},
    {"WpApi_SetProgressProc", 6},
    {"WpApi_GetJpgFileInfo", 7},
    {"WpApi_GetAverageRgbValue", 8},
    {"WpApi_LoadBmpFromJpgFile", 9},
    {"WpApi_SetWallpaper", 10},
    {"WpApi_UpdateCurrentWallpaper", 11},
    {"WpApi_SetRandomWallpaper", 12},
    {"WpApi_ExcludeCurrentFromList", 13},
    {"WpApi_CancelCurrentOperation", 14},
    {"WpApi_Cancelled", 15},
    {"WpApi_ScreenSaverReplaceImage", 16},
};

void __stdcall IgnoreProgress(const char*) {}

bool Has(const LogReceiver& receiver, const std::string& part)
{
    for (const std::string& line : receiver.Texts())
        if (line.find(part) != std::string::npos) return true;
    return false;
}

HMODULE LoadEngine()
{
    return ::LoadLibraryA((ExeFolder() + "KvApi.dll").c_str());
}

template <typename T> T Export(HMODULE module, const char* name)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// The headers of a module loaded as an image: its tables are at their virtual addresses.
const IMAGE_NT_HEADERS32* NtHeaders(HMODULE module)
{
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
}

template <typename T> const T* AtRva(HMODULE module, DWORD rva)
{
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + rva);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

class InterfaceDll : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hEngine = LoadEngine();
        ASSERT_NE(m_hEngine, nullptr) << "KvApi.dll beside the test program, error " << ::GetLastError();
    }
    void TearDown() override
    {
        if (m_hEngine) ::FreeLibrary(m_hEngine);
    }
    HMODULE m_hEngine = nullptr;
};

TEST_F(InterfaceDll, ExportsByNameAndByOrdinalAreTheSame)
{
    for (const ExportEntry& e : kExports) {
        FARPROC byName = ::GetProcAddress(m_hEngine, e.name);
        FARPROC byOrdinal = ::GetProcAddress(m_hEngine, MAKEINTRESOURCEA(e.ordinal));
        EXPECT_NE(byName, nullptr) << e.name;
        EXPECT_EQ(byName, byOrdinal) << e.name << " @" << e.ordinal;
    }
    const IMAGE_DATA_DIRECTORY& dir =
        NtHeaders(m_hEngine)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(dir.VirtualAddress, 0u);
    const auto* exports = AtRva<IMAGE_EXPORT_DIRECTORY>(m_hEngine, dir.VirtualAddress);
    EXPECT_EQ(exports->Base, 1u);
    EXPECT_EQ(exports->NumberOfFunctions, 16u);
    EXPECT_EQ(exports->NumberOfNames, 16u) << "no decorated or extra names";
}

TEST_F(InterfaceDll, ImportsOnlySystemLibrariesAndKvImage)
{
    const std::set<std::string> allowed = {"kernel32.dll", "user32.dll",  "gdi32.dll",    "advapi32.dll",
                                           "msvcrt.dll",   "shell32.dll", "shfolder.dll", "kvimage.dll"};
    const IMAGE_DATA_DIRECTORY& dir =
        NtHeaders(m_hEngine)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(dir.VirtualAddress, 0u);
    for (auto* d = AtRva<IMAGE_IMPORT_DESCRIPTOR>(m_hEngine, dir.VirtualAddress); d->Name; ++d) {
        const std::string name = Lower(AtRva<char>(m_hEngine, d->Name));
        EXPECT_EQ(allowed.count(name), 1u) << "imports " << name;
        if (name != "kvimage.dll") continue;
        // The decoder is bound by its ordinal 2 alone.
        for (auto* t = AtRva<IMAGE_THUNK_DATA32>(m_hEngine, d->OriginalFirstThunk); t->u1.Ordinal; ++t) {
            EXPECT_TRUE(IMAGE_SNAP_BY_ORDINAL32(t->u1.Ordinal)) << "KvImage.dll import by name";
            EXPECT_EQ(IMAGE_ORDINAL32(t->u1.Ordinal), 2u);
        }
    }
}

TEST_F(InterfaceDll, CancelledFollowsTheCancelUntilTheNextLockedExport)
{
    auto cancelled = Export<PFN_WpApi_Cancelled>(m_hEngine, "WpApi_Cancelled");
    auto cancel = Export<PFN_WpApi_CancelCurrentOperation>(m_hEngine, "WpApi_CancelCurrentOperation");
    auto hide = Export<PFN_WpApi_HideProgressWindow>(m_hEngine, "WpApi_HideProgressWindow");
    auto average = Export<PFN_WpApi_GetAverageRgbValue>(m_hEngine, "WpApi_GetAverageRgbValue");
    ASSERT_TRUE(cancelled && cancel && hide && average);

    EXPECT_EQ(cancelled(), FALSE);
    std::thread([cancel] { cancel(); }).join();  // from another thread, as a host's Cancel button does
    EXPECT_EQ(cancelled(), TRUE);
    EXPECT_EQ(cancelled(), TRUE);
    hide();
    EXPECT_EQ(cancelled(), FALSE);
    cancel();
    average(nullptr, nullptr);  // also a locked export that fails
    EXPECT_EQ(cancelled(), FALSE);
}

TEST_F(InterfaceDll, ImportLibraryResolvesForAProgramThatLinksIt)
{
    const interface_test::ProgramRun run = RunProgram("interface_link_probe.exe", "");
    ASSERT_TRUE(run.started) << ::GetLastError();
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
}

TEST_F(InterfaceDll, CallbackInsteadOfWindow)
{
    auto setProc = Export<PFN_WpApi_SetProgressProc>(m_hEngine, "WpApi_SetProgressProc");
    auto show = Export<PFN_WpApi_ShowProgressWindow>(m_hEngine, "WpApi_ShowProgressWindow");
    auto hide = Export<PFN_WpApi_HideProgressWindow>(m_hEngine, "WpApi_HideProgressWindow");
    ASSERT_TRUE(setProc && show && hide);
    setProc(&IgnoreProgress);
    show();
    EXPECT_EQ(::FindWindowA("TFormProgress", nullptr), nullptr);
    setProc(nullptr);
    show();
    EXPECT_NE(::FindWindowA("TFormProgress", nullptr), nullptr);
    hide();
    EXPECT_EQ(::FindWindowA("TFormProgress", nullptr), nullptr);
}

// Freeing the library takes its window and its class along, so a second load works like the first.
TEST(InterfaceDllLoads, LoadUseAndFreeTwice)
{
    for (int round = 1; round <= 2; ++round) {
        HMODULE engine = LoadEngine();
        ASSERT_NE(engine, nullptr) << "round " << round;
        auto show = Export<PFN_WpApi_ShowProgressWindow>(engine, "WpApi_ShowProgressWindow");
        auto message = Export<PFN_WpApi_SetProgressMsg>(engine, "WpApi_SetProgressMsg");
        ASSERT_TRUE(show && message);
        show();
        HWND form = ::FindWindowA("TFormProgress", nullptr);
        ASSERT_NE(form, nullptr) << "round " << round;
        EXPECT_EQ(reinterpret_cast<HMODULE>(::GetClassLongPtrA(form, GCLP_HMODULE)), engine);
        const std::string text = "round " + std::to_string(round);
        message(text.c_str());
        char label[64] = {};
        ::GetWindowTextA(::FindWindowExA(form, nullptr, "Static", nullptr), label, sizeof label);
        EXPECT_EQ(text, label);

        EXPECT_TRUE(::FreeLibrary(engine));  // without hiding first, as a careless host does
        EXPECT_FALSE(::IsWindow(form)) << "round " << round;
        WNDCLASSEXA info = {};
        info.cbSize = sizeof info;
        EXPECT_FALSE(::GetClassInfoExA(engine, "TFormProgress", &info)) << "round " << round;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
    }
}

// Each case: a call with a bad argument, its failure result and the log line it leaves.
struct BadArgumentCase {
    const char* name;
    DWORD (*call)(HMODULE engine);
    DWORD failure;
    const char* logLine;
};

alignas(8) unsigned char g_Record[16384];  // stands for a caller's settings record
RegistryRecord* Record()
{
    return reinterpret_cast<RegistryRecord*>(g_Record);
}
const std::string kLongName(MAX_PATH, 'n');

// A decode of a path that is too long: 0 when it failed and set the date to 0.
template <typename Load> DWORD LoadWithLongPath(Load load)
{
    DWORD size = 0;
    FILETIME date = {1, 1};
    const BOOL loaded = load(nullptr, nullptr, kLongName.c_str(), &size, FALSE, &date);
    return loaded || date.dwLowDateTime || date.dwHighDateTime;
}

const BadArgumentCase kBadArguments[] = {
    {"SetWallpaper without record",
     [](HMODULE m) -> DWORD {
         return Export<PFN_WpApi_SetWallpaper>(m, "WpApi_SetWallpaper")(nullptr, "C:\\P", "a.jpg", "", 0);
     },
     0, "!WpApi_SetWallpaper: record is NULL"},
    {"SetWallpaper without folder",
     [](HMODULE m) -> DWORD {
         return Export<PFN_WpApi_SetWallpaper>(m, "WpApi_SetWallpaper")(Record(), nullptr, "a.jpg", "", 0);
     },
     0, "!WpApi_SetWallpaper: folder is NULL"},
    {"SetWallpaper with a name of MAX_PATH characters",
     [](HMODULE m) -> DWORD {
         return Export<PFN_WpApi_SetWallpaper>(m, "WpApi_SetWallpaper")(Record(), "C:\\P", kLongName.c_str(),
                                                                        "", 0xFFFFFFFF);
     },
     0, "!WpApi_SetWallpaper: file name is 260 characters or longer"},
    {"GetJpgFileInfo without path",
     [](HMODULE m) -> DWORD {
         DWORD w = 0;
         DWORD h = 0;
         return Export<PFN_WpApi_GetJpgFileInfo>(m, "WpApi_GetJpgFileInfo")(nullptr, &w, &h);
     },
     0, "!WpApi_GetJpgFileInfo: path is NULL"},
    {"GetAverageRgbValue without header",
     [](HMODULE m) -> DWORD {
         BYTE pixels[4] = {};
         return Export<PFN_WpApi_GetAverageRgbValue>(m, "WpApi_GetAverageRgbValue")(nullptr, pixels);
     },
     0x7F7F7F, "!WpApi_GetAverageRgbValue: header is NULL"},
    {"LoadBmpFromJpgFile without path",
     [](HMODULE m) -> DWORD {
         DWORD size = 0;
         return Export<PFN_WpApi_LoadBmpFromJpgFile>(m, "WpApi_LoadBmpFromJpgFile")(nullptr, nullptr, nullptr,
                                                                                    &size, TRUE, nullptr);
     },
     0, "!WpApi_LoadBmpFromJpgFile: path is NULL"},
    // Both fail and set the date to 0, as for any file whose EXIF date cannot be read.
    {"LoadBmpFromJpgFileEx with a path of MAX_PATH characters",
     [](HMODULE m) -> DWORD {
         return LoadWithLongPath(Export<PFN_LoadBmpFromJpgFileEx>(m, "LoadBmpFromJpgFileEx"));
     },
     0, "!LoadBmpFromJpgFileEx: path is 260 characters or longer"},
    {"LoadBmpFromJpgFile with a path of MAX_PATH characters",
     [](HMODULE m) -> DWORD {
         return LoadWithLongPath(Export<PFN_WpApi_LoadBmpFromJpgFile>(m, "WpApi_LoadBmpFromJpgFile"));
     },
     0, "!WpApi_LoadBmpFromJpgFile: path is 260 characters or longer"},
    {"ScreenSaverReplaceImage without record",
     [](HMODULE m) -> DWORD {
         return Export<PFN_WpApi_ScreenSaverReplaceImage>(m, "WpApi_ScreenSaverReplaceImage")(
             ::GetDesktopWindow(), nullptr);
     },
     0, "!WpApi_ScreenSaverReplaceImage: record is NULL"},
    {"ScreenSaverReplaceImage with no window",
     [](HMODULE m) -> DWORD {
         return Export<PFN_WpApi_ScreenSaverReplaceImage>(m, "WpApi_ScreenSaverReplaceImage")(nullptr,
                                                                                              Record());
     },
     0, "is not a window"},
    {"SetProgressMsg without text",
     [](HMODULE m) -> DWORD {
         Export<PFN_WpApi_SetProgressMsg>(m, "WpApi_SetProgressMsg")(nullptr);
         return 0;
     },
     0, "!WpApi_SetProgressMsg: text is NULL"},
    {"RecalcRightMarginForCalendar without record",
     [](HMODULE m) -> DWORD {
         Export<PFN_WpApi_RecalcRightMarginForCalendar>(m, "WpApi_RecalcRightMarginForCalendar")(nullptr);
         return 0;
     },
     0, "!WpApi_RecalcRightMarginForCalendar: record is NULL"},
    {"SetWallpaper with margins beyond the screen",
     [](HMODULE m) -> DWORD {
         SetRegistryDefaults(nullptr, Record(), false, false);
         Record()->Display.bUseMargins = 1;
         Record()->Display.dwMarginTop = 10000;
         Record()->Display.dwMarginBottom = 10000;
         lstrcpynA(Record()->Files.szWorkBmpFile, (ExeFolder() + "never_written.bmp").c_str(), kPathSize);
         return Export<PFN_WpApi_SetWallpaper>(m, "WpApi_SetWallpaper")(
             Record(), (ExeFolder() + "imaging_fixtures").c_str(), "plain_64x48.jpg", "", 0xFFFFFFFF);
     },
     0, "! The margins leave no room for the image: left=0, right=0, top=10000, bottom=10000"},
};

TEST(InterfaceDllLog, BadArgumentsGiveTheFailureResultAndALogLine)
{
    LogReceiver receiver;  // before the load: the library looks for it once, when it starts
    HMODULE engine = LoadEngine();
    ASSERT_NE(engine, nullptr);
    for (const BadArgumentCase& c : kBadArguments) {
        receiver.Clear();
        EXPECT_EQ(c.call(engine), c.failure) << c.name;
        EXPECT_TRUE(Has(receiver, c.logLine)) << c.name << ": no log line \"" << c.logLine << "\"";
        for (const std::string& line : receiver.Texts())
            EXPECT_EQ(line.compare(0, 11, "KvApi.DLL  "), 0) << "module column of: " << line;
    }
    ::FreeLibrary(engine);
}

TEST(InterfaceDllLog, LockedExportsLogTheirNames)
{
    LogReceiver receiver;
    HMODULE engine = LoadEngine();
    ASSERT_NE(engine, nullptr);
    Export<PFN_WpApi_ShowProgressWindow>(engine, "WpApi_ShowProgressWindow")();
    Export<PFN_WpApi_HideProgressWindow>(engine, "WpApi_HideProgressWindow")();
    Export<PFN_WpApi_Cancelled>(engine, "WpApi_Cancelled")();
    // The operation's own line is indented two columns under the export's line.
    size_t exportColumn = std::string::npos;
    size_t operationColumn = std::string::npos;
    for (const std::string& line : receiver.Texts()) {
        const size_t at = line.find("ShowProgressWindow");
        if (at == std::string::npos || at + 18 != line.size()) continue;
        if (at >= 6 && line.compare(at - 6, 6, "WpApi_") == 0)
            exportColumn = at - 6;
        else
            operationColumn = at;
    }
    ASSERT_NE(exportColumn, std::string::npos);
    ASSERT_NE(operationColumn, std::string::npos);
    EXPECT_EQ(operationColumn, exportColumn + 2);
    EXPECT_TRUE(Has(receiver, "WpApi_HideProgressWindow"));
    EXPECT_FALSE(Has(receiver, "WpApi_Cancelled")) << "the cancel exports do not log";
    ::FreeLibrary(engine);
}

}  // namespace

namespace {

// The lowest free TLS index and handle value: both climb when loads leave something behind.
DWORD NextTlsIndex()
{
    const DWORD index = ::TlsAlloc();
    if (index != TLS_OUT_OF_INDEXES) ::TlsFree(index);
    return index;
}

UINT_PTR NextHandleValue()
{
    HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const UINT_PTR value = reinterpret_cast<UINT_PTR>(event);
    ::CloseHandle(event);
    return value;
}

void LoadUseAndFree()
{
    HMODULE engine = LoadEngine();
    ASSERT_NE(engine, nullptr);
    auto info = Export<PFN_WpApi_GetJpgFileInfo>(engine, "WpApi_GetJpgFileInfo");
    ASSERT_NE(info, nullptr);
    DWORD width = 0, height = 0;
    EXPECT_FALSE(info((ExeFolder() + "no such image.jpg").c_str(), &width, &height));
    EXPECT_TRUE(::FreeLibrary(engine));
}

}  // namespace

// The Agent loads and frees the engine for every change, for months: a load must leave no handle and
// no TLS index behind, or the process runs out of TLS indexes after about a thousand loads.
TEST(InterfaceDllLoads, RepeatedLoadsLeaveNoHandleOrTlsIndex)
{
    for (int i = 0; i < 3; ++i)
        LoadUseAndFree();
    const DWORD tlsBefore = NextTlsIndex();
    const UINT_PTR handleBefore = NextHandleValue();
    const int rounds = 60;
    for (int i = 0; i < rounds; ++i)
        LoadUseAndFree();
    EXPECT_EQ(NextTlsIndex(), tlsBefore);
    // Handle values step by 4; a leak of even one handle a load would move the value by 240.
    EXPECT_LE(NextHandleValue(), handleBefore + 4 * 4);
}

// The runtimes linked into the library keep blocks that no call releases (about 0.3 kB a load before
// the library's heap went with it): an Agent that runs for months must not grow with each change.
TEST(InterfaceDllLoads, RepeatedLoadsLeaveNoMemoryBehind)
{
    for (int i = 0; i < 10; ++i)
        LoadUseAndFree();
    const SIZE_T before = testsupport::CommittedPrivateBytes();
    const int rounds = 250;
    for (int i = 0; i < rounds; ++i)
        LoadUseAndFree();
    const SIZE_T after = testsupport::CommittedPrivateBytes();
    // 0.3 kB a load would be 75 kB; a page or two may come from elsewhere.
    EXPECT_LE(after, before + 16 * 1024)
        << "grew by " << (after - before) / 1024 << " kB over " << rounds << " loads";
}

namespace {

std::vector<std::string> g_DllReported;
void __stdcall CollectDllProgress(const char* text)
{
    g_DllReported.push_back(text ? text : "(null)");
}

// What the freshly loaded DLL reports while it reads an image's size: its texts load once per load.
std::vector<std::string> ProgressOfOneImageInfo(const std::string& image)
{
    g_DllReported.clear();
    HMODULE engine = LoadEngine();
    if (!engine) return {"(no engine)"};
    auto setProc = Export<PFN_WpApi_SetProgressProc>(engine, "WpApi_SetProgressProc");
    auto info = Export<PFN_WpApi_GetJpgFileInfo>(engine, "WpApi_GetJpgFileInfo");
    DWORD width = 0, height = 0;
    if (setProc && info) {
        setProc(&CollectDllProgress);
        info(image.c_str(), &width, &height);
        setProc(nullptr);
    }
    ::FreeLibrary(engine);
    return g_DllReported;
}

}  // namespace

// The texts as the real DLL shows them: a translation from HKLM \Language is used; values that are
// not text, too long, or not the same kind of format keep the English default.
TEST(InterfaceDllTexts, TranslationsReachTheCallbackOnlyWhenUsable)
{
    const std::string image = ExeFolder() + "imaging_fixtures\\plain_64x48.jpg";
    struct Case {
        const char* name;
        void (*store)(interface_test::LanguageValues&);
        std::string expected;
    };
    const Case kCases[] = {
        {"no translation", [](interface_test::LanguageValues&) {}, "Reading " + image + "..."},
        {"translation", [](interface_test::LanguageValues& v) { v.SetText("gld_ReadingS", "Lese %s ..."); },
         "Lese " + image + " ..."},
        {"REG_DWORD", [](interface_test::LanguageValues& v) { v.SetDword("gld_ReadingS", 7); },
         "Reading " + image + "..."},
        {"600 characters",
         [](interface_test::LanguageValues& v) { v.SetText("gld_ReadingS", std::string(597, 'x') + "%s"); },
         "Reading " + image + "..."},
        {"other conversions", [](interface_test::LanguageValues& v) { v.SetText("gld_ReadingS", "%s%s%n"); },
         "Reading " + image + "..."},
    };
    for (const Case& c : kCases) {
        interface_test::LanguageValues values;
        c.store(values);
        const std::vector<std::string> reported = ProgressOfOneImageInfo(image);
        ASSERT_FALSE(reported.empty()) << c.name;
        EXPECT_EQ(reported.front(), c.expected) << c.name;
    }
}
