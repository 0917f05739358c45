// The hand-over to the desktop under Wine: the wallpaper style values and the wallpaper in the
// real registry, the desktop colour in the registry and the system colours, and the icon-caption
// colours on a shell window chain that a helper process builds itself (one process per case, as
// the icon view and the shadow setting are cached per process).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "KvTestRegistry.h"
#include "KvTestSupport.h"
#include "Udesktop.h"

namespace {

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kColorsKey[] = "Control Panel\\Colors";
constexpr char kAdvancedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

// The values these tests change, in HKEY_CURRENT_USER, put back when each test ends.
class SavedValue : public testsupport::SavedRegValue {
public:
    SavedValue(const char* key, const char* name) : SavedRegValue(HKEY_CURRENT_USER, key, name) {}
};

testsupport::RegValue Read(const char* key, const char* name)
{
    return testsupport::ReadRegValue(HKEY_CURRENT_USER, key, name);
}

void Write(const char* key, const char* name, DWORD type, const std::string& data)
{
    ASSERT_TRUE(testsupport::WriteRegValue(HKEY_CURRENT_USER, key, name, type, data)) << key << " " << name;
}

void Delete(const char* key, const char* name)
{
    ASSERT_TRUE(testsupport::DeleteRegValue(HKEY_CURRENT_USER, key, name)) << key << " " << name;
}

std::string Sz(const char* text)
{
    return testsupport::TextData(text);
}
std::string Dword(DWORD v)
{
    return testsupport::DwordData(v);
}

TEST(DesktopHandOver, WallpaperStyleBecomesCentredUntiled)
{
    const SavedValue style(kDesktopKey, "WallpaperStyle");
    const SavedValue tile(kDesktopKey, "TileWallpaper");
    const struct {
        const char* name;
        bool present;
        DWORD type;
        std::string data;
        bool rewritten;  // an absent value already reads as "0" and is left absent
        // clang-format off
    } cases[] = {
        {"absent", false, 0, "", false},
        {"already \"0\"", true, REG_SZ, Sz("0"), false},
        {"stretched \"2\"", true, REG_SZ, Sz("2"), true},
        {"tiled \"1\"", true, REG_SZ, Sz("1"), true},
        {"a number instead of a text", true, REG_DWORD, Dword(2), true},
        {"a number 0 instead of a text", true, REG_DWORD, Dword(0), true},
        {"binary", true, REG_BINARY, std::string("\x30\x00", 2), true},
        {"a text too long to be a style", true, REG_SZ, Sz("00000000000000000000000000000000000000000"), true},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* value : {"WallpaperStyle", "TileWallpaper"}) {
            if (c.present)
                Write(kDesktopKey, value, c.type, c.data);
            else
                Delete(kDesktopKey, value);
        }
        EXPECT_EQ(Win32SetWallPaperStyle(false, false), 1);
        for (const char* value : {"WallpaperStyle", "TileWallpaper"}) {
            const testsupport::RegValue now = Read(kDesktopKey, value);
            EXPECT_EQ(now.exists, c.present) << value;
            if (!c.present) continue;
            if (c.rewritten) {
                EXPECT_EQ(now.type, static_cast<DWORD>(REG_SZ)) << value;
                EXPECT_EQ(now.bytes, Sz("0")) << value;
            } else {
                EXPECT_EQ(now.type, c.type) << value;
                EXPECT_EQ(now.bytes, c.data) << value;
            }
        }
    }

    Write(kDesktopKey, "WallpaperStyle", REG_DWORD, Dword(0));
    Delete(kDesktopKey, "TileWallpaper");
    EXPECT_EQ(Win32SetWallPaperStyle(true, true), 1);
    EXPECT_EQ(Read(kDesktopKey, "WallpaperStyle").bytes, Sz("2"));
    EXPECT_EQ(Read(kDesktopKey, "TileWallpaper").bytes, Sz("1"));
}

// What `reg query` prints for one value, read by another process.
std::string RegQuery(const std::string& key, const std::string& value)
{
    testsupport::TempFolder folder("regquery");
    const std::string output = folder / "out.txt";
    testsupport::ChildProcess child;
    if (!child.Start("cmd.exe /c reg query \"" + key + "\" /v " + value + " > \"" + output + "\"")) return "";
    if (!child.WaitPumping(30000)) return "";
    return testsupport::ReadFileBytes(output);
}

TEST(DesktopHandOver, WallpaperNamesTheWorkBitmap)
{
    const SavedValue wallpaper(kDesktopKey, "Wallpaper");
    testsupport::TempFolder folder("wallpaper");
    const std::string path = folder / "KvWork.bmp";
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "BM"));

    EXPECT_EQ(Win32SetWallPaper(path.c_str()), 0);
    const testsupport::RegValue stored = Read(kDesktopKey, "Wallpaper");
    ASSERT_TRUE(stored.exists);
    EXPECT_EQ(std::string(stored.bytes.c_str()), path);
    char current[MAX_PATH] = {};
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof current, current, 0));
    EXPECT_EQ(std::string(current), path);
    const std::string printed = RegQuery("HKCU\\Control Panel\\Desktop", "Wallpaper");
    EXPECT_NE(printed.find(path), std::string::npos) << printed;

    EXPECT_EQ(Win32SetWallPaper(nullptr), 1);
}

TEST(DesktopHandOver, DesktopColourInTheRegistryAndTheSystem)
{
    const SavedValue background(kColorsKey, "Background");
    const COLORREF oldSystem = ::GetSysColor(COLOR_BACKGROUND);
    const INT element = COLOR_BACKGROUND;
    const COLORREF marker = RGB(9, 8, 7);
    ASSERT_TRUE(::SetSysColors(1, &element, &marker));

    // Registry only: the system colour stays until the next log-on.
    SetDesktopBackgroundColor(RGB(10, 20, 30), false);
    EXPECT_EQ(Read(kColorsKey, "Background").bytes, Sz("10 20 30"));
    EXPECT_EQ(::GetSysColor(COLOR_BACKGROUND), marker);

    SetDesktopBackgroundColor(RGB(0, 128, 255), true);
    const testsupport::RegValue stored = Read(kColorsKey, "Background");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.bytes, Sz("0 128 255"));
    EXPECT_EQ(::GetSysColor(COLOR_BACKGROUND), 0x00FF8000u);
    EXPECT_NE(RegQuery("HKCU\\Control Panel\\Colors", "Background").find("0 128 255"), std::string::npos);

    ::SetSysColors(1, &element, &oldSystem);
}

// ---- Icon captions --------------------------------------------------------------------------

constexpr COLORREF kInitialText = RGB(0x12, 0x34, 0x56);
constexpr COLORREF kInitialBack = RGB(0x65, 0x43, 0x21);
constexpr COLORREF kAverage = RGB(0, 128, 255);  // dark: white text
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kTransparent = 0xFFFFFFFF;  // CLR_NONE of the list view

struct ProbeResult {
    bool ok = false;
    COLORREF text = 0, back = 0;
    int firstMessages = -1, firstDirty = -1, secondMessages = -1, secondDirty = -1;
    unsigned long elapsed = 0;
    std::vector<std::string> log;
};

// Runs the helper for one case while a stand-in log receiver records its log lines.
ProbeResult RunProbe(const char* mode, bool adapt, bool adaptSys, bool transparent)
{
    ProbeResult result;
    testsupport::TempFolder folder("captions");
    const std::string output = folder / "result.txt";
    testsupport::LogReceiver receiver;
    char command[1024];
    std::snprintf(command, sizeof command, "\"%sdesktop_captions_probe.exe\" \"%s\" %s %d %d %d %lx",
                  testsupport::ExeFolder().c_str(), output.c_str(), mode, adapt, adaptSys, transparent,
                  static_cast<unsigned long>(kAverage));
    testsupport::ChildProcess child;
    if (!child.Start(command) || !child.WaitPumping(30000) || child.ExitCode() != 0) return result;
    testsupport::PumpMessages();
    result.log = receiver.Texts();
    const std::string text = testsupport::ReadFileBytes(output);
    unsigned long t = 0, b = 0;
    if (std::sscanf(text.c_str(), "text=%lx back=%lx first=%d/%d second=%d/%d", &t, &b, &result.firstMessages,
                    &result.firstDirty, &result.secondMessages, &result.secondDirty) == 6) {
        result.text = t;
        result.back = b;
        result.ok = true;
    } else if (std::sscanf(text.c_str(), "elapsed=%lu", &result.elapsed) == 1) {
        result.ok = true;
    }
    return result;
}

int CountLines(const std::vector<std::string>& lines, const char* part)
{
    int n = 0;
    for (const std::string& line : lines)
        n += line.find(part) != std::string::npos;
    return n;
}

enum Captions { Unchanged, OnTransparent, OnAverage };

struct ShadowSetting {
    const char* name;
    bool present;
    DWORD type;
    std::string data;
    bool shadow;
};

TEST(DesktopCaptions, FollowTheSwitchesForEachShadowSetting)
{
    const SavedValue saved(kAdvancedKey, "ListviewShadow");
    // clang-format off
    const ShadowSetting settings[] = {
        {"ListviewShadow absent", false, 0, "", true},
        {"ListviewShadow 1", true, REG_DWORD, Dword(1), true},
        {"ListviewShadow 0", true, REG_DWORD, Dword(0), false},
        {"ListviewShadow 2", true, REG_DWORD, Dword(2), false},
        {"ListviewShadow a text", true, REG_SZ, Sz("0"), true},
    };
    // clang-format on
    // adapt, adaptSys, transparent; then the captions without and with shadow.
    const struct {
        bool adapt, adaptSys, transparent;
        Captions noShadow, shadow;
        // clang-format off
    } rows[] = {
        {false, false, false, Unchanged, Unchanged},     {false, true, false, Unchanged, Unchanged},
        {false, false, true, OnTransparent, Unchanged},  {false, true, true, OnTransparent, Unchanged},
        {true, false, false, OnAverage, OnAverage},      {true, false, true, OnTransparent, OnAverage},
        {true, true, false, OnAverage, Unchanged},       {true, true, true, OnTransparent, Unchanged},
    };
    // clang-format on
    for (const ShadowSetting& setting : settings) {
        if (setting.present)
            Write(kAdvancedKey, "ListviewShadow", setting.type, setting.data);
        else
            Delete(kAdvancedKey, "ListviewShadow");
        // Two rows are enough to tell the readings apart once the full table ran for 0 and absent.
        const bool full = setting.name == settings[0].name || setting.name == settings[2].name;
        for (const auto& row : rows) {
            if (!full && !(row.adapt && !row.adaptSys && row.transparent) && !(!row.adapt && row.transparent))
                continue;
            SCOPED_TRACE(std::string(setting.name) + ", adapt " + std::to_string(row.adapt) + ", sys " +
                         std::to_string(row.adaptSys) + ", transparent " + std::to_string(row.transparent));
            const ProbeResult r = RunProbe("plain", row.adapt, row.adaptSys, row.transparent);
            ASSERT_TRUE(r.ok);
            const Captions expected = setting.shadow ? row.shadow : row.noShadow;
            const COLORREF text = expected == Unchanged ? kInitialText : kWhite;
            const COLORREF back = expected == Unchanged   ? kInitialBack
                                  : expected == OnAverage ? kAverage
                                                          : kTransparent;
            EXPECT_EQ(r.text, text);
            EXPECT_EQ(r.back, back);
            // A change sends the two colours and redraws the view once; the same colours again send
            // nothing, log nothing and redraw nothing.
            EXPECT_EQ(r.firstMessages, expected == Unchanged ? 0 : 2);
            EXPECT_EQ(r.firstDirty, expected == Unchanged ? 0 : 1);
            EXPECT_EQ(r.secondMessages, 0);
            EXPECT_EQ(r.secondDirty, 0);
            EXPECT_EQ(CountLines(r.log, "Change detected:"), expected == Unchanged ? 0 : 1);
            if (expected != Unchanged) {
                char line[160];
                std::snprintf(
                    line, sizeof line,
                    "Change detected: OrigTextColor=0x%x, TextColor=0x%x, OrigBackColor=0x%x, BackColor=0x%x",
                    static_cast<unsigned>(kInitialText), static_cast<unsigned>(text),
                    static_cast<unsigned>(kInitialBack), static_cast<unsigned>(back));
                EXPECT_EQ(CountLines(r.log, line), 1) << line;
            }
            // The shadow setting is read once per process, and only when it is needed.
            EXPECT_LE(CountLines(r.log, "IsShadowUnderIcons = "), 1);
            // The helper turns entry and exit lines off as the Agent does.
            EXPECT_EQ(CountLines(r.log, "FindWindows"), 0);
            EXPECT_EQ(CountLines(r.log, "SetColorUnderIcons"), 0);
        }
    }
}

TEST(DesktopCaptions, FindTheNewViewAfterTheShellRestarts)
{
    const SavedValue saved(kAdvancedKey, "ListviewShadow");
    Write(kAdvancedKey, "ListviewShadow", REG_DWORD, Dword(0));
    const ProbeResult r = RunProbe("restart", true, false, false);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, kWhite);
    EXPECT_EQ(r.back, kAverage);
    EXPECT_EQ(r.secondMessages, 2);
    EXPECT_EQ(r.secondDirty, 1);
}

TEST(DesktopCaptions, AHungShellDoesNotHoldTheCaller)
{
    const SavedValue saved(kAdvancedKey, "ListviewShadow");
    Write(kAdvancedKey, "ListviewShadow", REG_DWORD, Dword(0));
    const ProbeResult r = RunProbe("hung", true, false, false);
    ASSERT_TRUE(r.ok);
    // One wait for the view (the desktop's 2 s) and the rest of the call, whose time follows the
    // machine; that it gave up on the view once, its log line tells.
    EXPECT_LT(r.elapsed, 2000 + testsupport::ScaledMs(2000));
    EXPECT_EQ(CountLines(r.log, "the desktop icon view does not answer"), 1);
    EXPECT_EQ(CountLines(r.log, "Change detected:"), 0);
}

}  // namespace
