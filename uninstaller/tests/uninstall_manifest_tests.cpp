// The rights each program asks for in the manifest of its resources: the uninstaller and the
// installer delete and write in Program Files, the system folder and HKEY_LOCAL_MACHINE, so they ask
// for administrator rights; every other program runs with the rights of whoever starts it.
#include "KvTestSupport.h"
#include "UTxUtils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The manifest resource (RT_MANIFEST, id 1) of a program, read from its file.
std::string ManifestOf(const std::string& program)
{
    Library module(::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return "(not loadable)";
    HRSRC found = ::FindResourceA(module.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (!found) return "(no manifest)";
    HGLOBAL data = ::LoadResource(module.get(), found);
    const char* bytes = static_cast<const char*>(::LockResource(data));
    return bytes ? std::string(bytes, ::SizeofResource(module.get(), found)) : std::string();
}

std::string Level(const std::string& program)
{
    const std::string manifest = ManifestOf(program);
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
    const std::string list = testsupport::ReadFileBytes(KV_PROGRAM_LIST);
    std::vector<std::string> programs;
    for (size_t at = 0; at < list.size();) {
        const size_t end = list.find('\n', at);
        const std::string line = list.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (!line.empty()) programs.push_back("Z:" + line);
        if (end == std::string::npos) break;
        at = end + 1;
    }
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
