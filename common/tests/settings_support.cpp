#include "settings_support.h"

#include "UTxLog.h"
#include "Wcommon.h"

#include <fstream>
#include <sstream>
#include <vector>

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
    const LONG rc = ::RegDeleteTreeA(HKEY_CURRENT_USER, kRegRootPath);
    ASSERT_TRUE(rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) << "RegDeleteTree: " << rc;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRegRootPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        ::RegCloseKey(key);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kRegRootPath);
    }
}

void SetRawValue(const char* subkey, const char* valueName, DWORD type, const std::string& data)
{
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, PathOf(subkey).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    const LONG rc = ::RegSetValueExA(key, valueName, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                     static_cast<DWORD>(data.size()));
    ::RegCloseKey(key);
    ASSERT_EQ(rc, ERROR_SUCCESS) << valueName;
}

bool QueryRawValue(const char* subkey, const char* valueName, DWORD& type, std::string& data)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, PathOf(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD size = 0;
    LONG rc = ::RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size);
    std::vector<char> buffer(size + 1);
    if (rc == ERROR_SUCCESS) {
        rc =
            ::RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    }
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return false;
    data.assign(buffer.data(), size);
    return true;
}

std::string DwordData(DWORD value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof(value));
}

std::string TextData(const std::string& text)
{
    return text + '\0';
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
