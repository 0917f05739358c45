#include "settings_support.h"

#include "KvTestRegistry.h"
#include "UTxLog.h"
#include "Wcommon.h"

#include <fstream>
#include <sstream>

namespace {

std::string PathOf(const char* subkey)
{
    std::string path = kRegRootPath;
    if (subkey && subkey[0]) path = path + "\\" + subkey;
    return path;
}

}  // namespace

void DeleteSettingsKey()
{
    ASSERT_TRUE(testsupport::DeleteRegTree(HKEY_CURRENT_USER, kRegRootPath)) << "the settings key stays";
}

void SetRawValue(const char* subkey, const char* valueName, DWORD type, const std::string& data)
{
    ASSERT_TRUE(testsupport::WriteRegValue(HKEY_CURRENT_USER, PathOf(subkey), valueName, type, data))
        << valueName;
}

bool QueryRawValue(const char* subkey, const char* valueName, DWORD& type, std::string& data)
{
    const testsupport::RegValue value =
        testsupport::ReadRegValue(HKEY_CURRENT_USER, PathOf(subkey), valueName);
    if (!value.exists) return false;
    type = value.type;
    data = value.bytes;
    return true;
}

LogCapture::LogCapture()
{
    char folder[MAX_PATH];
    ::GetTempPathA(sizeof(folder), folder);
    m_path = std::string(folder) + "kv_settings_tests.log";
    EXPECT_TRUE(g_Log.OpenFile(m_path.c_str()));
}

LogCapture::~LogCapture()
{
    g_Log.CloseFile();
    ::DeleteFileA(m_path.c_str());
}

std::string LogCapture::Text()
{
    g_Log.CloseFile();
    std::ifstream in(m_path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
