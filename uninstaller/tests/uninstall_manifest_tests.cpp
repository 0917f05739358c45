// The rights each program asks for in the manifest of its resources: the uninstaller and the
// installer delete and write in Program Files, the system folder and HKEY_LOCAL_MACHINE, so they ask
// for administrator rights; every other program runs with the rights of whoever starts it.
#include "KvTestSupport.h"
#include "UTxUtils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Level(const std::string& program)
{
    const std::string manifest = testsupport::ProgramManifest(program);
    const std::string key = "requestedExecutionLevel level=\"";
    const size_t at = manifest.find(key);
    if (at == std::string::npos) return manifest;
    const size_t start = at + key.size();
    return manifest.substr(start, manifest.find('"', start) - start);
}

bool EndsWith(const std::string& text, const std::string& ending)
{
    return text.size() >= ending.size() &&
           text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

TEST(Manifests, OnlyTheUninstallerAndTheInstallerAskForAdministratorRights)
{
    const std::vector<std::string> programs = testsupport::ProgramsInList(KV_PROGRAM_LIST);
    ASSERT_GT(programs.size(), 5u);
    bool sawUninstaller = false;
    for (const std::string& program : programs) {
        if (!testsupport::PathExists(program)) continue;  // not built in this tree
        const bool uninstaller = EndsWith(program, "/uninstaller/Uninstall.exe");
        sawUninstaller = sawUninstaller || uninstaller;
        EXPECT_EQ(Level(program), uninstaller ? "requireAdministrator" : "asInvoker") << program;
    }
    EXPECT_TRUE(sawUninstaller);
    EXPECT_EQ(Level(KV_SETUP_EXE), "requireAdministrator");
}

}  // namespace
