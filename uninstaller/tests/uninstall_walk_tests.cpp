// The removal walk without a window: real files, folders and registry entries, the progress lines
// compared whole; and the Agent stopped through its named events.
#include "KvAgentStandIn.h"
#include "KvTestSupport.h"
#include "UTxUtils.h"
#include "Uinstallvalues.h"
#include "UninstallWalk.h"
#include "Uuninstlang.h"
#include "uninstall_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using uninstalltest::LocalTimeText;
using uninstalltest::MachineKeyExists;
using uninstalltest::MachineValueExists;
using uninstalltest::SetMachineValue;
using uninstalltest::TouchFile;

constexpr const char* kTestRunValue = "Kestrova Walk Run";
const std::string kTestEntryKey = std::string(kUninstallKey) + "Kestrova Walk Entry";

class RemovalWalk : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadUninstallTextDefaults();
        Clean();
    }
    void TearDown() override { Clean(); }
    static void Clean()
    {
        HKEY run = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_WRITE, &run) == ERROR_SUCCESS) {
            ::RegDeleteValueA(run, kTestRunValue);
            ::RegCloseKey(run);
        }
        uninstalltest::DeleteMachineKey(kTestEntryKey.c_str());
    }

    std::vector<std::string> Walk(const std::vector<std::string>& texts)
    {
        TxStringCollection lines(32, 64);
        for (const std::string& text : texts)
            lines.AddText(text.c_str());
        std::vector<std::string> progress;
        RunRemoval(lines, [&](const std::string& line) { progress.push_back(line); });
        return progress;
    }

    testsupport::TempFolder m_Root{"Kv  Walk"};
};

TEST_F(RemovalWalk, EveryTagFromTheLastLineToTheFirst)
{
    const std::string dir = m_Root / "Kestrova";
    ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr));
    const std::string program = dir + "\\KvAgent.exe";
    const std::string old = dir + "\\old.jpg";
    const std::string changed = dir + "\\changed.jpg";
    for (const std::string& file : {program, old, changed})
        ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));
    ASSERT_TRUE(::SetFileAttributesA(program.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(TouchFile(old, -60));
    ASSERT_TRUE(TouchFile(changed, -5));
    SetMachineValue(kRunKey, kTestRunValue, REG_SZ, std::string("x", 2));
    SetMachineValue(kTestEntryKey.c_str(), "DisplayName", REG_SZ, std::string("x", 2));
    const std::string missingFolder = m_Root / "Missing";

    const std::vector<std::string> progress = Walk({
        "S_FOLDER_ " + dir,
        "S_PRGFILE " + program,
        "S_IMGFILE " + old,
        "S_IMGFILE " + changed,
        "S_TIME___ " + LocalTimeText(-10),
        "S_AUTORUN " + std::string(kTestRunValue),
        "S_UNINST_ Kestrova Walk Entry",
        "S_UNINST_ Kestrova Walk Entry Missing",
        "S_AUTORUN Kestrova Walk Missing",
        "S_LNKFILE " + dir + "\\Kestrova.lnk",
        "S_FOLDER_ " + missingFolder,
        "S_OTHER__ " + old,
    });
    EXPECT_EQ(progress, (std::vector<std::string>{
                            "Folder " + missingFolder + " not found.",
                            "File " + dir + "\\Kestrova.lnk not found.",
                            "Cannot find Registry value Kestrova Walk Missing.",
                            "Cannot remove uninstall info from Registry.",
                            "Removed uninstall info from Registry.",
                            "Removed Registry value Kestrova Walk Run",
                            "File " + changed + " was modified - not deleted.",
                            "Deleted file " + old,
                            "Deleted file " + program,
                            "Cannot remove folder " + dir + ".",
                        }));
    EXPECT_TRUE(testsupport::PathExists(changed));
    EXPECT_FALSE(testsupport::PathExists(old));
    EXPECT_FALSE(testsupport::PathExists(program));
    EXPECT_FALSE(MachineValueExists(kRunKey, kTestRunValue));
    EXPECT_FALSE(MachineKeyExists(kTestEntryKey.c_str()));
}

TEST_F(RemovalWalk, AFolderGoesAfterTheFilesListedBelowIt)
{
    const std::string dir = m_Root / "Kv  Test";
    ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir + "\\Install.log", "x"));
    const std::vector<std::string> progress =
        Walk({"S_FOLDER_ " + dir, "S_PRGFILE " + dir + "\\Install.log"});
    EXPECT_EQ(progress,
              (std::vector<std::string>{"Deleted file " + dir + "\\Install.log", "Removed folder " + dir}));
    EXPECT_FALSE(testsupport::PathExists(dir));
}

TEST_F(RemovalWalk, AnInstallationTimeThatCannotBeReadKeepsEveryImageAboveIt)
{
    for (const char* time : {"31.02.2026 10:00", "ab.cd.efgh ij:kl"}) {
        const std::string above = m_Root / "above.jpg";
        const std::string below = m_Root / "below.jpg";
        ASSERT_TRUE(testsupport::WriteFileBytes(above, "x"));
        ASSERT_TRUE(testsupport::WriteFileBytes(below, "x"));
        ASSERT_TRUE(TouchFile(above, -600));
        ASSERT_TRUE(TouchFile(below, -1));  // below any time line: judged against the walk's start
        const std::vector<std::string> progress =
            Walk({"S_IMGFILE " + above, std::string("S_TIME___ ") + time, "S_IMGFILE " + below});
        EXPECT_EQ(progress, (std::vector<std::string>{"Deleted file " + below,
                                                      "File " + above + " was modified - not deleted."}))
            << time;
        ::DeleteFileA(above.c_str());
    }
}

TEST_F(RemovalWalk, ImagesComparedWithTheInstallationTimeInUtc)
{
    // Files written a few minutes before and after the installation, whatever the time zone.
    const std::string before = m_Root / "before.jpg";
    const std::string after = m_Root / "after.jpg";
    ASSERT_TRUE(testsupport::WriteFileBytes(before, "x"));
    ASSERT_TRUE(testsupport::WriteFileBytes(after, "x"));
    ASSERT_TRUE(TouchFile(before, -125));
    ASSERT_TRUE(TouchFile(after, -115));
    const std::vector<std::string> progress =
        Walk({"S_IMGFILE " + before, "S_IMGFILE " + after, "S_TIME___ " + LocalTimeText(-120)});
    EXPECT_EQ(progress, (std::vector<std::string>{"File " + after + " was modified - not deleted.",
                                                  "Deleted file " + before}));
}

using testsupport::AgentStandIn;

TEST(StopAgent, WithoutAnAgentNothingIsShownAndNothingAwaited)
{
    LoadUninstallTextDefaults();
    std::vector<std::string> lines;
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(StopAgent([&](const std::string& line) { lines.push_back(line); }, nullptr));
    EXPECT_TRUE(lines.empty());
    EXPECT_LT(::GetTickCount() - start, 1000u);
}

TEST(StopAgent, SignalsWaitsTheFixedTimeThenUntilTheAgentIsGone)
{
    LoadUninstallTextDefaults();
    std::vector<std::string> lines;
    int shownAfterLines = -1;
    AgentStandIn agent(700);
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(StopAgent([&](const std::string& line) { lines.push_back(line); },
                          [&] { shownAfterLines = static_cast<int>(lines.size()); }, {100, 5000}));
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_EQ(lines, std::vector<std::string>{"Stopping Kestrova Agent..."});
    EXPECT_EQ(shownAfterLines, 1);
    EXPECT_TRUE(agent.Signalled());
    EXPECT_TRUE(agent.Ended());  // the wait outlasted the fixed 100 ms until the Agent was gone
    EXPECT_LT(elapsed, 3000u);
}

TEST(StopAgent, AnAgentThatStaysIsAwaitedOnlyUpToTheLimit)
{
    LoadUninstallTextDefaults();
    AgentStandIn agent(AgentStandIn::kNeverEnds);
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(StopAgent([](const std::string&) {}, nullptr, {100, 600}));
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_GE(elapsed, 650u);
    EXPECT_LT(elapsed, 3000u);
    EXPECT_TRUE(agent.Signalled());
}

}  // namespace
