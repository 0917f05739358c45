// Finding and binding the engine: the install folder as the installer left it, and what happens
// when it is too long, missing its terminator, or holds an engine without the saver's exports.
#include "KvTestRegistry.h"
#include "KvTestSupport.h"
#include "SaverEngine.h"
#include "saver_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace savertest;

namespace {

// Writes the value's bytes exactly, so a text can be stored without its terminating zero.
void WriteRawText(const std::string& bytes)
{
    ASSERT_TRUE(testsupport::WriteRegValue(HKEY_LOCAL_MACHINE, kSetupKey, "InstalledPrgDir", REG_SZ, bytes));
}

class SaverEngineBinding : public ::testing::Test {
protected:
    void SetUp() override { ClearAll(); }
    void TearDown() override { ClearAll(); }
};

}  // namespace

TEST_F(SaverEngineBinding, InstallFolderIsTerminatedWhereItsDataEndsAndRefusedWhenItDoesNotFit)
{
    std::string folder = "unchanged";
    EXPECT_FALSE(ReadInstalledPrgDir(folder)) << "no \\Setup key";
    EXPECT_EQ(folder, "unchanged");

    WriteRawText(StubFolder());  // no terminator
    ASSERT_TRUE(ReadInstalledPrgDir(folder));
    EXPECT_EQ(folder, StubFolder());

    WriteRawText(std::string(511, 'd') + '\0');  // 512 bytes: fits
    ASSERT_TRUE(ReadInstalledPrgDir(folder));
    EXPECT_EQ(folder, std::string(511, 'd'));

    folder = "unchanged";
    WriteRawText(std::string(512, 'd'));  // 512 bytes and no room for the terminator
    EXPECT_FALSE(ReadInstalledPrgDir(folder));
    WriteRawText(std::string(700, 'd') + '\0');
    EXPECT_FALSE(ReadInstalledPrgDir(folder));
    EXPECT_EQ(folder, "unchanged");

    WriteDword(HKEY_LOCAL_MACHINE, kSetupKey, "InstalledPrgDir", 1);
    EXPECT_FALSE(ReadInstalledPrgDir(folder)) << "not a text";
}

TEST_F(SaverEngineBinding, BindsTheThreeExportsAndFreesTheEngine)
{
    SaverEngine engine;
    ASSERT_TRUE(LoadSaverEngine(StubFolder(), engine));
    EXPECT_TRUE(engine.kvApi);
    EXPECT_FALSE(engine.kvImage) << "there is no KvImage.dll in the stand-in's folder";
    ASSERT_TRUE(engine.pReplaceImage && engine.pCancelCurrentOperation && engine.pCancelled);
    engine.pCancelCurrentOperation();
    EXPECT_TRUE(engine.pCancelled());
    FreeSaverEngine(engine);
    EXPECT_FALSE(engine.kvApi);
    EXPECT_FALSE(engine.pReplaceImage);
    const std::vector<std::string> calls = StubCalls();
    EXPECT_EQ(calls, (std::vector<std::string>{"load", "cancel", "free"}));
}

TEST_F(SaverEngineBinding, AnEngineWithoutTheSaverExportsIsNotUsed)
{
    SaverEngine engine;
    EXPECT_FALSE(LoadSaverEngine(testsupport::ExeFolder() + "stub-engineIncompatible", engine));
    EXPECT_TRUE(engine.kvApi) << "kept loaded until the window goes";
    EXPECT_FALSE(engine.pReplaceImage || engine.pCancelCurrentOperation || engine.pCancelled);
    FreeSaverEngine(engine);
}

TEST_F(SaverEngineBinding, AFolderTooLongForTheLibraryPathIsRefusedNotCut)
{
    // Within the 512 bytes of the folder value, beyond a path the system takes.
    const std::string folder = StubFolder() + "\\" + std::string(MAX_PATH, 'x');
    SaverEngine engine;
    EXPECT_FALSE(LoadSaverEngine(folder, engine));
    EXPECT_FALSE(engine.kvImage);
    EXPECT_FALSE(engine.kvApi);
    EXPECT_TRUE(StubCalls().empty());
}
