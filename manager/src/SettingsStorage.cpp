// Saving the settings schema to the registry and loading it back.
#include "Settings.h"

#include "UTxLog.h"
#include "UTxUtils.h"
#include "Uregutils.h"

#include <cstring>
#include <string>

namespace manager {

namespace {

enum class Stored { Absent, Read, Unusable };

RegKey OpenKey(HKEY root, const char* path, bool create)
{
    HKEY key = nullptr;
    const LONG rc = create ? ::RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                               nullptr, &key, nullptr)
                           : ::RegOpenKeyExA(root, path, 0, KEY_READ, &key);
    return rc == ERROR_SUCCESS ? RegKey(key) : RegKey();
}

// Type and size of a value without its data; the registry says ERROR_FILE_NOT_FOUND only for a
// value that does not exist.
Stored QueryShape(HKEY key, const char* name, DWORD& type, DWORD& size)
{
    type = REG_NONE;
    size = 0;
    const LONG rc = ::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND) return Stored::Absent;
    return rc == ERROR_SUCCESS ? Stored::Read : Stored::Unusable;
}

Stored ReadNumber(HKEY key, const char* name, DWORD& number)
{
    DWORD type;
    DWORD size;
    const Stored shape = QueryShape(key, name, type, size);
    if (shape != Stored::Read) return shape;
    if (type != REG_DWORD || size != sizeof(DWORD)) return Stored::Unusable;
    return ReadRegDword(key, name, number) ? Stored::Read : Stored::Unusable;
}

// A text that the record's readers could not take whole (another type, longer than their buffer
// or than the record's field) is unusable rather than cut into another text.
Stored ReadText(HKEY key, const char* name, size_t fieldSize, TxString& text)
{
    DWORD type;
    DWORD size;
    const Stored shape = QueryShape(key, name, type, size);
    if (shape != Stored::Read) return shape;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > kRegTextBufferSize) return Stored::Unusable;
    char field[kRegTextBufferSize + 1] = {};
    if (!ReadRegText(key, name, field, sizeof(field))) return Stored::Unusable;
    if (std::strlen(field) + 1 > fieldSize) return Stored::Unusable;
    text.Assign(field);
    return Stored::Read;
}

bool Usable(Stored stored, const char* keyPath, const char* name)
{
    if (stored != Stored::Unusable) return true;
    LogF("!LoadFromRegistry: %s\\%s has another type or size than expected; skipped", keyPath, name);
    return false;
}

bool WriteText(HKEY key, const char* keyPath, const SettingValue& value, const TxString& text)
{
    // Cutting a list of programs or a face name would store a different one: refuse it whole.
    if (static_cast<size_t>(text.GetLength()) + 1 > value.size) {
        LogF("!SaveToRegistry: %s\\%s is longer than %u characters; not written", keyPath, value.valueName,
             static_cast<unsigned>(value.size - 1));
        return false;
    }
    return WriteRegText(key, value.valueName, text.GetText());
}

bool IsTextType(BYTE type)
{
    return type == stText || type == stFolder || type == stFile || type == stProgramList;
}

std::string KeyPathOf(const char* path, const CSettingsItem& item)
{
    std::string keyPath = path;
    if (!item.Section().IsEmpty()) keyPath = keyPath + "\\" + item.Section().GetText();
    return keyPath;
}

bool SameFont(const CSettingsFont& a, const CSettingsFont& b)
{
    return a.name.Equals(b.name) && a.size == b.size && a.charset == b.charset && a.style == b.style &&
           a.colour == b.colour;
}

}  // namespace

void CSettingsItem::RememberLoaded()
{
    m_iLoadedValue = m_iValue;
    m_sLoadedValue = m_sValue;
    m_LoadedFont = m_pFont ? *m_pFont : CSettingsFont();
}

bool CSettingsItem::SameAsLoaded() const
{
    if (m_Type == stFont) return SameFont(m_pFont ? *m_pFont : CSettingsFont(), m_LoadedFont);
    if (IsTextType(m_Type)) return m_sValue.Equals(m_sLoadedValue);
    return m_iValue == m_iLoadedValue;
}

bool CSettingsItem::KeepsStoredValue(int which) const
{
    if (!(m_UnusableAtLoad & (1u << which)) || !SameAsLoaded()) return false;
    LogF("SaveToRegistry: %s is left as it is: it was not readable and has not been changed",
         m_pValues[which]->valueName);
    return true;
}

bool CSettingsItem::SaveValues(HKEY key, const char* keyPath) const
{
    if (!IsStored()) return true;
    if (m_Type == stFont) {
        const CSettingsFont font = m_pFont ? *m_pFont : CSettingsFont();
        const auto number = [&](FontValue which, DWORD value) {
            return KeepsStoredValue(which) || WriteRegDword(key, m_pValues[which]->valueName, value);
        };
        bool ok = KeepsStoredValue(fvName) || WriteText(key, keyPath, *m_pValues[fvName], font.name);
        ok = number(fvSize, static_cast<DWORD>(font.size)) && ok;
        ok = number(fvCharset, static_cast<DWORD>(font.charset)) && ok;
        ok = number(fvBold, (font.style & fsBold) ? 1 : 0) && ok;
        ok = number(fvItalic, (font.style & fsItalic) ? 1 : 0) && ok;
        ok = number(fvUnderline, (font.style & fsUnderline) ? 1 : 0) && ok;
        return ok;
    }
    if (KeepsStoredValue(0)) return true;
    if (IsTextType(m_Type)) return WriteText(key, keyPath, *m_pValues[0], m_sValue);
    return WriteRegDword(key, m_pValues[0]->valueName, static_cast<DWORD>(m_iValue));
}

bool CSettingsItem::LoadValues(HKEY key, const char* keyPath)
{
    if (!IsStored()) return true;
    m_UnusableAtLoad = 0;
    const bool ok = LoadStoredValues(key, keyPath);
    RememberLoaded();
    return ok;
}

bool CSettingsItem::LoadStoredValues(HKEY key, const char* keyPath)
{
    const auto usable = [this, keyPath](Stored stored, int which) {
        if (stored == Stored::Unusable) m_UnusableAtLoad |= static_cast<BYTE>(1u << which);
        return Usable(stored, keyPath, m_pValues[which]->valueName);
    };
    if (m_Type == stFont) {
        CSettingsFont& font = EnsureFont();
        bool ok = true;
        TxString name;
        const char* nameValue = m_pValues[fvName]->valueName;
        const Stored nameRead = ReadText(key, nameValue, m_pValues[fvName]->size, name);
        if (nameRead == Stored::Read) font.name = name;
        ok = usable(nameRead, fvName) && ok;

        DWORD number = 0;
        Stored read = ReadNumber(key, m_pValues[fvSize]->valueName, number);
        if (read == Stored::Read) font.size = static_cast<int>(number);
        ok = usable(read, fvSize) && ok;
        read = ReadNumber(key, m_pValues[fvCharset]->valueName, number);
        if (read == Stored::Read) font.charset = static_cast<int>(number);
        ok = usable(read, fvCharset) && ok;

        // The style is rebuilt from the switches alone: a missing one, or one that is not
        // exactly 1, leaves its style off, and strikeout is never stored.
        BYTE style = 0;
        const struct {
            FontValue value;
            BYTE bit;
        } switches[] = {{fvBold, fsBold}, {fvItalic, fsItalic}, {fvUnderline, fsUnderline}};
        for (const auto& s : switches) {
            number = 0;
            read = ReadNumber(key, m_pValues[s.value]->valueName, number);
            if (read == Stored::Read && number == 1) style |= s.bit;
            ok = usable(read, s.value) && ok;
        }
        font.style = style;
        return ok;
    }
    const char* name = m_pValues[0]->valueName;
    if (IsTextType(m_Type)) {
        TxString text;
        const Stored read = ReadText(key, name, m_pValues[0]->size, text);
        if (read == Stored::Read) m_sValue = text;
        return usable(read, 0);
    }
    DWORD number = 0;
    const Stored read = ReadNumber(key, name, number);
    if (read == Stored::Read) m_iValue = static_cast<int>(number);
    return usable(read, 0);
}

bool CSettings::SaveToRegistry(HKEY root, const char* path) const
{
    if (!path || !OpenKey(root, path, true)) {
        LogF("!SaveToRegistry: cannot create %s", path ? path : "");
        return false;
    }
    bool ok = true;
    // Items of one section follow each other, so one open key serves a run of them.
    std::string openPath;
    RegKey key;
    bool opened = false;
    for (int i = 0; i < GetCount(); ++i) {
        const CSettingsItem& item = *At(i);
        if (!item.IsStored()) continue;
        const std::string keyPath = KeyPathOf(path, item);
        if (!opened || ::_stricmp(keyPath.c_str(), openPath.c_str()) != 0) {
            key = OpenKey(root, keyPath.c_str(), true);
            openPath = keyPath;
            opened = true;
            if (!key) LogF("!SaveToRegistry: cannot create %s", keyPath.c_str());
        }
        // The other sections are still written.
        if (!key) {
            ok = false;
            continue;
        }
        ok = item.SaveValues(key.get(), keyPath.c_str()) && ok;
    }
    return ok;
}

bool CSettings::LoadFromRegistry(HKEY root, const char* path)
{
    if (!path || !OpenKey(root, path, false)) return false;
    bool ok = true;
    std::string openPath;
    RegKey key;
    bool opened = false;
    for (int i = 0; i < GetCount(); ++i) {
        CSettingsItem& item = *At(i);
        if (!item.IsStored()) continue;
        const std::string keyPath = KeyPathOf(path, item);
        if (!opened || ::_stricmp(keyPath.c_str(), openPath.c_str()) != 0) {
            key = OpenKey(root, keyPath.c_str(), false);
            openPath = keyPath;
            opened = true;
        }
        // An absent section leaves its items at their values, like absent values.
        if (!key) continue;
        ok = item.LoadValues(key.get(), keyPath.c_str()) && ok;
    }
    return ok;
}

}  // namespace manager
