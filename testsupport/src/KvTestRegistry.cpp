#include "KvTestRegistry.h"

#include <cstring>

#include "UTxUtils.h"

namespace testsupport {

DWORD RegValue::Dword() const
{
    DWORD value = 0;
    if (bytes.size() >= sizeof value) std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

std::string DwordData(DWORD value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

std::string TextData(const std::string& text)
{
    return text + '\0';
}

bool WriteRegValue(HKEY root, const std::string& key, const char* name, DWORD type, const std::string& bytes)
{
    HKEY opened = nullptr;
    if (::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &opened,
                          nullptr) != ERROR_SUCCESS)
        return false;
    const RegKey owner(opened);
    // The registry adds the zero that a text left out when one follows the data in memory, as one
    // always does after a std::string's bytes; a byte that is not zero keeps the stored bytes exact.
    const std::string followed = bytes + 'X';
    return ::RegSetValueExA(opened, name, 0, type, reinterpret_cast<const BYTE*>(followed.data()),
                            static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

bool WriteRegDword(HKEY root, const std::string& key, const char* name, DWORD value)
{
    return WriteRegValue(root, key, name, REG_DWORD, DwordData(value));
}

RegValue ReadRegValue(HKEY root, const std::string& key, const char* name)
{
    RegValue value;
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return value;
    const RegKey owner(opened);
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (::RegQueryValueExA(opened, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return value;
    std::string bytes(size, '\0');
    if (::RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size) !=
        ERROR_SUCCESS)
        return value;
    bytes.resize(size);
    value.exists = true;
    value.type = type;
    value.bytes = std::move(bytes);
    return value;
}

bool DeleteRegValue(HKEY root, const std::string& key, const char* name)
{
    HKEY opened = nullptr;
    const LONG rc = ::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | KEY_WRITE, &opened);
    if (rc == ERROR_FILE_NOT_FOUND) return true;
    if (rc != ERROR_SUCCESS) return false;
    const RegKey owner(opened);
    const LONG deleted = ::RegDeleteValueA(opened, name);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

bool DeleteRegTree(HKEY root, const std::string& key)
{
    const LONG rc = ::RegDeleteTreeA(root, key.c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return false;
    // RegDeleteTree empties the key but may leave the key itself.
    const LONG left = ::RegDeleteKeyA(root, key.c_str());
    return left == ERROR_SUCCESS || left == ERROR_FILE_NOT_FOUND;
}

SavedRegValue::SavedRegValue(HKEY root, const std::string& key, const char* name)
    : m_hRoot(root), m_sKey(key), m_sName(name), m_Saved(ReadRegValue(root, key, name))
{
}

SavedRegValue::~SavedRegValue()
{
    if (m_Saved.exists)
        WriteRegValue(m_hRoot, m_sKey, m_sName.c_str(), m_Saved.type, m_Saved.bytes);
    else
        DeleteRegValue(m_hRoot, m_sKey, m_sName.c_str());
}

}  // namespace testsupport
