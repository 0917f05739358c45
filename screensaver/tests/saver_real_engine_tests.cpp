// Kestrova.scr with the real engine over a fixture folder: the images it shows are marked in the
// image database as shown by the saver.
#include "DemoFirstRun.h"
#include "KvTestRegistry.h"
#include "KvTestSupport.h"
#include "UDatabase.h"
#include "saver_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace savertest;

namespace {

const char* const kPhotos = "Z:\\usr\\share\\backgrounds\\mate";

std::string ReadText(const std::string& subkey, const char* name)
{
    return testsupport::ReadRegValue(HKEY_CURRENT_USER, subkey, name).Text();
}

int CountShownBySaver(bool& loaded)
{
    CFileCollection files;
    loaded = files.LoadFromFile(ReadText(Key("Files"), "FileListDatFile").c_str(),
                                ReadText(Key("Files"), "FileListStrFile").c_str());
    int shown = 0;
    for (int i = 0; loaded && i < files.GetCount(); ++i)
        if (files.FileAt(i)->ScreenSaverFlags & (FLAG_SHOWN_RANDOM | FLAG_SHOWN_BY_TIME)) ++shown;
    return shown;
}

}  // namespace

// The saver's folder stands in for the installation: KvApi.dll and KvImage.dll beside it.
TEST(SaverRealEngine, ShownImagesAreMarkedInTheDatabase)
{
    if (!testsupport::PathExists(kPhotos)) GTEST_SKIP() << "mate-backgrounds is not installed (tools/setup)";
    ClearAll();
    const std::string installed = testsupport::ExeFolder() + "real-engine";
    DWORD images = 0;
    std::string error;
    ASSERT_TRUE(WriteFirstRun(kPhotos, installed, images, error)) << error;
    ASSERT_GT(images, 2u);
    WriteDword(HKEY_CURRENT_USER, Key("Display"), "MaxSize", 10000);
    WriteDword(HKEY_CURRENT_USER, Key("Display"), "MinRatio", 10);
    WriteDword(HKEY_CURRENT_USER, Key("ScreenSaver"), "ExchangePeriod", 1);
    WriteText(HKEY_LOCAL_MACHINE, kSetupKey, "InstalledPrgDir", installed);
    bool loaded = false;
    ASSERT_EQ(CountShownBySaver(loaded), 0);
    ASSERT_TRUE(loaded);

    testsupport::ChildProcess saver;
    ASSERT_TRUE(saver.Start(SaverCommand("/s")));
    HWND window = nullptr;
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] { return (window = ::FindWindowA("WindowsScreenSaverClass", nullptr)); }, 10000));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return CountShownBySaver(loaded) >= 2; }, 20000));
    ::PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(saver.WaitPumping(15000));
    EXPECT_EQ(saver.ExitCode(), 0u);
    EXPECT_GE(CountShownBySaver(loaded), 2);
    EXPECT_TRUE(loaded);
    ClearAll();
}
