// Checked reads and writes of single registry values.
#include "Uregutils.h"

#include "UTxBase.h"
#include "UTxLog.h"
#include "UTxStrings.h"
#include "UTxUtils.h"

#include <cstring>
#include <string>

namespace {

// Queries a value into `buffer`; true only when the call succeeds with the expected type.
bool QueryValue(HKEY key, const char* valueName, DWORD expectedType, void* buffer, DWORD& size)
{
    DWORD type = REG_NONE;
    const LONG rc = ::RegQueryValueExA(key, valueName, nullptr, &type, static_cast<BYTE*>(buffer), &size);
    return rc == ERROR_SUCCESS && type == expectedType;
}

bool SetValue(HKEY key, const char* valueName, DWORD type, const void* data, DWORD size)
{
    const LONG rc = ::RegSetValueExA(key, valueName, 0, type, static_cast<const BYTE*>(data), size);
    if (rc == ERROR_SUCCESS) return true;
    if (g_bLogEnabled) {
        LogF("!WriteToRegistry: Error writing value %s: %s", valueName,
             TxSystemErrorText(static_cast<unsigned long>(rc)).c_str());
    }
    return false;
}

}  // namespace

bool ReadRegDword(HKEY key, const char* valueName, DWORD& value)
{
    DWORD data = 0;
    DWORD size = sizeof(data);
    // A shorter value would leave part of the number undefined; a longer one fails the query.
    if (!QueryValue(key, valueName, REG_DWORD, &data, size) || size != sizeof(data)) return false;
    value = data;
    return true;
}

bool ReadRegText(HKEY key, const char* valueName, char* field, size_t fieldSize)
{
    if (!field || fieldSize == 0) return false;
    // The buffer is zeroed and the text is terminated where the registry says its data ends, so a
    // text stored without its zero still gets one; 512 characters without a zero do not fit.
    char buffer[kRegTextBufferSize + 1] = {};
    DWORD size = kRegTextBufferSize;
    DWORD type = REG_NONE;
    const LONG rc =
        ::RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    if (size > kRegTextBufferSize) size = kRegTextBufferSize;
    buffer[size] = '\0';
    if (::strnlen(buffer, kRegTextBufferSize) >= kRegTextBufferSize) return false;

    // Texts longer than the field are cut to it.
    const size_t length = ::strnlen(buffer, fieldSize - 1);
    std::memcpy(field, buffer, length);
    field[length] = '\0';
    return true;
}

bool ReadRegTextFillingBuffer(HKEY key, const char* valueName, char* buffer, DWORD bufferSize)
{
    if (!buffer || bufferSize == 0) return false;
    std::memset(buffer, 0, bufferSize);
    DWORD size = bufferSize;
    DWORD type = REG_NONE;
    const LONG rc =
        ::RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        std::memset(buffer, 0, bufferSize);
        return false;
    }
    // The registry does not promise a terminator: the text ends where its data ends, and the
    // buffer's last byte is always one.
    buffer[size < bufferSize ? size : bufferSize - 1] = '\0';
    return true;
}

bool ReadRegTextWhole(HKEY key, const char* valueName, char* field, size_t fieldSize)
{
    if (!field || fieldSize == 0) return false;
    std::string buffer(fieldSize + 1, '\0');
    DWORD size = static_cast<DWORD>(fieldSize);
    DWORD type = REG_NONE;
    const LONG rc =
        ::RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &size);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    if (size > fieldSize) size = static_cast<DWORD>(fieldSize);
    buffer[size] = '\0';
    // Room is needed for the terminator as well: a text that fills the field is cut.
    const size_t length = ::strnlen(buffer.c_str(), fieldSize);
    if (length >= fieldSize) return false;
    std::memcpy(field, buffer.c_str(), length + 1);
    return true;
}

bool ReadRegFileTime(HKEY key, const char* valueName, FILETIME& value)
{
    BYTE data[sizeof(FILETIME)] = {};
    DWORD size = sizeof(data);
    if (!QueryValue(key, valueName, REG_BINARY, data, size) || size != sizeof(data)) return false;
    std::memcpy(&value, data, sizeof(value));
    return true;
}

bool WriteRegDword(HKEY key, const char* valueName, DWORD value)
{
    return SetValue(key, valueName, REG_DWORD, &value, sizeof(value));
}

bool WriteRegText(HKEY key, const char* valueName, const char* text)
{
    if (!text) text = "";
    return SetValue(key, valueName, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
}

bool WriteRegFileTime(HKEY key, const char* valueName, const FILETIME& value)
{
    // FILETIME is two DWORDs, low one first: exactly the 8 bytes the registry value holds.
    return SetValue(key, valueName, REG_BINARY, &value, sizeof(value));
}

bool ReadRegistryString(HKEY root, const char* subkey, const char* valueName, TxString& out)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(root, subkey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    const RegKey key(opened);
    char text[kRegTextBufferSize];
    if (!ReadRegText(key.get(), valueName, text, sizeof(text))) return false;
    out.Assign(text);
    return true;
}
