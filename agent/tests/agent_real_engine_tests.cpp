// The fast test Agent with the real engine, its decoder and textures beside it, on Debian's
// mate-backgrounds photographs: one due change, read back from \CurrentImage, the work bitmap and
// the image database, then none until the next one is due; and the pause of a screen saver that is
// killed while it shows the same photographs.
#include "AgentControl.h"
#include "DemoFirstRun.h"
#include "KvTestSupport.h"
#include "UDatabase.h"
#include "Wcommon.h"
#include "KvTestRegistry.h"
#include "agent_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace agenttest;

namespace {

const char* const kPhotos = "Z:\\usr\\share\\backgrounds\\mate";

std::string Key(const char* section)
{
    return std::string(kSettingsKey) + "\\" + section;
}

std::string ReadText(const std::string& subkey, const char* name)
{
    return testsupport::ReadRegValue(HKEY_CURRENT_USER, subkey, name).Text();
}

bool ChangeTimeMoved(const FILETIME& before)
{
    FILETIME now = {};
    return ReadTime(Key("CurrentImage"), "LastChangeTime", now) &&
           FileTimeUnits(now) != FileTimeUnits(before);
}

// Shown counters of the database as the engine left it: the sum, and the count of the image shown.
struct ShownCounts {
    DWORD total = 0;
    DWORD ofImage = 0;
    bool found = false;
};

ShownCounts ReadShownCounts(const std::string& folder, const std::string& name)
{
    ShownCounts counts;
    CFileCollection files;
    if (!files.LoadFromFile(ReadText(Key("Files"), "FileListDatFile").c_str(),
                            ReadText(Key("Files"), "FileListStrFile").c_str()))
        return counts;
    for (int i = 0; i < files.GetCount(); ++i) {
        const CImageFile* image = files.FileAt(i);
        counts.total += image->ShownCount;
        if (lstrcmpiA(image->FolderPath.GetText(), folder.c_str()) == 0 &&
            lstrcmpiA(image->FileName.GetText(), name.c_str()) == 0) {
            counts.ofImage = image->ShownCount;
            counts.found = true;
        }
    }
    return counts;
}

}  // namespace

TEST(AgentRealEngine, DueChangeOnceThenNoneUntilDue)
{
    if (!testsupport::PathExists(kPhotos)) GTEST_SKIP() << "mate-backgrounds is not installed (tools/setup)";

    ClearSettings();
    DWORD images = 0;
    std::string error;
    ASSERT_TRUE(WriteFirstRun(kPhotos, testsupport::ExeFolder() + "e2e\\real", images, error)) << error;
    ASSERT_GT(images, 1u);
    // Every photo eligible (the largest are wider than the default maximum and would be passed
    // over, which also counts), so the one change shows in the counters as exactly one.
    WriteDword(Key("Display"), "MaxSize", 10000);
    WriteDword(Key("Display"), "MinRatio", 10);
    WriteDword(Key("Exchange"), "Type", CHANGE_EACH_N_MINUTES);
    WriteDword(Key("Exchange"), "Period", 60);
    const FILETIME anHourAgo = FileTimeFromUnits(FileTimeUnits(LocalNow()) - 61ull * 600000000ull);
    WriteTime(Key("CurrentImage"), "LastChangeTime", anHourAgo);

    testsupport::LogReceiver receiver;
    testsupport::ChildProcess agent;
    ASSERT_TRUE(agent.Start("\"" + testsupport::ExeFolder() + "e2e\\real\\KvAgentFast.exe\" /r"));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return ChangeTimeMoved(anHourAgo); }, 20000)) << "no change";
    FILETIME changed = {};
    ASSERT_TRUE(ReadTime(Key("CurrentImage"), "LastChangeTime", changed));
    // Let the Agent finish the change and tick a few more times, with nothing due.
    testsupport::PumpUntil([] { return false; }, 1500);

    FILETIME after = {};
    ASSERT_TRUE(ReadTime(Key("CurrentImage"), "LastChangeTime", after));
    EXPECT_EQ(FileTimeUnits(after), FileTimeUnits(changed)) << "a second change came before it was due";
    const std::string folder = ReadText(Key("CurrentImage"), "ImagePath");
    const std::string name = ReadText(Key("CurrentImage"), "ImageName");
    EXPECT_EQ(ReadDword(Key("CurrentImage"), "AlreadySet"), 1u);
    EXPECT_EQ(folder.compare(0, std::strlen(kPhotos), kPhotos), 0) << folder;
    EXPECT_TRUE(testsupport::PathExists(folder + "\\" + name)) << folder << "\\" << name;

    const ShownCounts counts = ReadShownCounts(folder, name);
    EXPECT_TRUE(counts.found) << name;
    EXPECT_EQ(counts.ofImage, 1u);
    EXPECT_EQ(counts.total, 1u) << "exactly one image was shown";

    const std::string bitmap = testsupport::ReadFileBytes(ReadText(Key("Files"), "WorkBmpFile"));
    ASSERT_GE(bitmap.size(), 54u);
    EXPECT_EQ(bitmap.substr(0, 2), "BM");
    int lines = 0;
    for (const std::string& line : receiver.Texts())
        if (line.find("calling WpApi_SetRandomWallpaper()") != std::string::npos) ++lines;
    EXPECT_EQ(lines, 1);

    HANDLE close = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, kAgentCloseEvent);
    ASSERT_NE(close, nullptr);
    ::SetEvent(close);
    ::CloseHandle(close);
    EXPECT_TRUE(agent.WaitPumping(5000));
    ClearSettings();
}

namespace {

int CountLines(const testsupport::LogReceiver& receiver, const std::string& text)
{
    int count = 0;
    for (const std::string& line : receiver.Texts())
        if (line.find(text) != std::string::npos) ++count;
    return count;
}

void SignalAgentClose()
{
    HANDLE close = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, kAgentCloseEvent);
    if (!close) return;
    ::SetEvent(close);
    ::CloseHandle(close);
}

}  // namespace

// A saver that dies cannot lift the pause it set; the Agent sees that no saver runs any more and
// changes at its next due tick. Every tick is due (a period of 0 minutes).
TEST(AgentRealEngine, AKilledScreenSaverDoesNotKeepTheAgentPaused)
{
    if (!testsupport::PathExists(kPhotos)) GTEST_SKIP() << "mate-backgrounds is not installed (tools/setup)";

    ClearSettings();
    const std::string installed = testsupport::ExeFolder() + "e2e\\real";
    DWORD images = 0;
    std::string error;
    ASSERT_TRUE(WriteFirstRun(kPhotos, installed, images, error)) << error;
    WriteDword(Key("Display"), "MaxSize", 10000);
    WriteDword(Key("Display"), "MinRatio", 10);
    WriteDword(Key("Exchange"), "Type", CHANGE_EACH_N_MINUTES);
    WriteDword(Key("Exchange"), "Period", 0);
    WriteTime(Key("CurrentImage"), "LastChangeTime", FileTimeFromUnits(0));
    // The saver paints with the same engine, as installed.
    WriteText(KV_REG_ROOT "\\Setup", "InstalledPrgDir", installed, REG_SZ, HKEY_LOCAL_MACHINE);

    testsupport::LogReceiver receiver;
    testsupport::ChildProcess agent;
    ASSERT_TRUE(agent.Start("\"" + installed + "\\KvAgentFast.exe\" /r"));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return ChangeTimeMoved(FileTimeFromUnits(0)); }, 20000))
        << "the Agent never changed";

    testsupport::ChildProcess saver;
    ASSERT_TRUE(saver.Start("\"" + testsupport::ExeFolder() + "e2e\\saver\\Kestrova.scr\" /s"));
    // Paused: ticks that find the saver running, with no change in between (a change runs on the
    // thread that logs them).
    ASSERT_TRUE(
        testsupport::PumpUntil([&] { return CountLines(receiver, "screensaver is running") >= 3; }, 20000))
        << "the saver did not pause the Agent";
    FILETIME paused = {};
    ASSERT_TRUE(ReadTime(Key("CurrentImage"), "LastChangeTime", paused));
    const std::string bitmapPath = ReadText(Key("Files"), "WorkBmpFile");
    const std::string pausedBitmap = testsupport::ReadFileBytes(bitmapPath);

    saver.Terminate();
    ASSERT_TRUE(saver.WaitPumping(5000));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ChangeTimeMoved(paused); }, 20000))
        << "the Agent stays paused after the saver was killed";
    EXPECT_EQ(CountLines(receiver, "The screen saver ended without lifting its pause; changes go on"), 1);
    FILETIME changed = {};
    ASSERT_TRUE(ReadTime(Key("CurrentImage"), "LastChangeTime", changed));
    const std::string bitmap = testsupport::ReadFileBytes(bitmapPath);
    ASSERT_GE(bitmap.size(), 54u);
    EXPECT_EQ(bitmap.substr(0, 2), "BM");
    EXPECT_NE(bitmap, pausedBitmap) << "the work bitmap was not made again";

    SignalAgentClose();
    EXPECT_TRUE(agent.WaitPumping(10000));
    EXPECT_TRUE(testsupport::DeleteRegTree(HKEY_LOCAL_MACHINE, KV_REG_ROOT "\\Setup"));
    ClearSettings();
}
