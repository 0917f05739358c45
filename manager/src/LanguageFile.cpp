// The language file KvLang.dat: its lines, the selected block and the texts of its keys.
#include "LanguageFile.h"

#include "ManagerTextStore.h"

#include "UTxCollections.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "UiFormat.h"
#include "Uinstallvalues.h"
#include "Uregutils.h"

#include <windows.h>

#include <cstring>
#include <new>
#include <string>

namespace manager {

namespace {

constexpr const char* kBeginLanguage = "BEGIN-LANGUAGE";
constexpr const char* kEndLanguage = "END-LANGUAGE";
constexpr int kBeginLanguageLength = 14;

// Both lists live only while the texts are applied.
TxStringCollection g_LanguageLines(64, 64);
TxStringCollection g_SelectedLines(64, 64);

char LowerAscii(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<char>(u - 'A' + 'a') : c;
}

bool BeginsWithNoCase(const TxString& line, const char* prefix)
{
    const int length = static_cast<int>(std::strlen(prefix));
    if (line.GetLength() < length) return false;
    const char* text = line.GetText();
    for (int i = 0; i < length; ++i) {
        if (LowerAscii(text[i]) != LowerAscii(prefix[i])) return false;
    }
    return true;
}

// "g", "l", any character, "_": the start of any program's key (glm_, glx_, gla_, ...).
bool LooksLikeKey(const TxString& line)
{
    const char* text = line.GetText();
    return line.GetLength() >= 4 && LowerAscii(text[0]) == 'g' && LowerAscii(text[1]) == 'l' &&
           text[3] == '_';
}

bool SameLanguageName(const TxString& a, const char* b)
{
    return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.GetText(), -1, b, -1) == CSTR_EQUAL;
}

// "\r" and "\n" (either case) stand for a carriage return and a line feed.
std::string ExpandLineBreaks(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? LowerAscii(text[i + 1]) : '\0';
        if (text[i] == '\\' && (next == 'r' || next == 'n')) {
            result += next == 'r' ? '\r' : '\n';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string LanguageFilePath()
{
    const std::string folder = TxProgramFolder();
    if (folder.empty()) return std::string();
    return folder + kLanguageFile;
}

}  // namespace

bool LoadLanguageFile()
{
    return LoadLanguageFile(LanguageFilePath().c_str());
}

bool LoadLanguageFile(const char* path)
{
    g_LanguageLines.FreeAll();
    if (!path || !path[0]) return false;
    // A missing or unreadable file means the English texts; no message.
    try {
        TxTextFile file(path, true);
        file.ReadLines(&g_LanguageLines);
    } catch (const std::exception& e) {
        LogF("LoadLanguageFile: %s: %s", path, e.what());
        g_LanguageLines.FreeAll();
    }
    return g_LanguageLines.GetCount() > 0;
}

void SelectLanguage(const char* name)
{
    if (!name || g_LanguageLines.GetCount() == 0) return;
    for (int i = 0; i < g_LanguageLines.GetCount(); ++i) {
        TxString& line = *g_LanguageLines.StringAt(i);
        if (line.Find(kBeginLanguage, true) == 0) continue;
        line.Trim();
        if (!BeginsWithNoCase(line, kBeginLanguage)) continue;
        TxString blockName;
        line.SubString(kBeginLanguageLength + 1, line.GetLength() - kBeginLanguageLength, blockName);
        blockName.Trim();
        // A block of another name is passed line by line, so a start inside it is still seen.
        if (!SameLanguageName(blockName, name)) continue;

        g_SelectedLines.FreeAll();
        for (int j = i + 1; j < g_LanguageLines.GetCount(); ++j) {
            TxString text(*g_LanguageLines.StringAt(j));
            text.Trim();
            if (BeginsWithNoCase(text, kEndLanguage)) break;
            if (text.IsEmpty() || BeginsWithNoCase(text, "//")) continue;
            g_SelectedLines.Insert(new TxString(text));
        }
        return;
    }
}

bool GetLanguageText(const char* key, TxString& text)
{
    if (!key) return false;
    for (int i = 0; i < g_SelectedLines.GetCount(); ++i) {
        if (g_SelectedLines.StringAt(i)->CompareNoCase(key) != 0) continue;
        std::string joined;
        for (int j = i + 1; j < g_SelectedLines.GetCount(); ++j) {
            const TxString& line = *g_SelectedLines.StringAt(j);
            if (LooksLikeKey(line)) break;
            if (!joined.empty()) joined += ' ';
            joined += line.GetText();
        }
        // Only the first occurrence of a key counts, even when its text is empty.
        const std::string expanded = ExpandLineBreaks(joined);
        if (expanded.empty()) return false;
        text.Assign(expanded.c_str());
        return true;
    }
    return false;
}

int LanguageFileLineCount()
{
    return g_LanguageLines.GetCount();
}
int SelectedLanguageLineCount()
{
    return g_SelectedLines.GetCount();
}

void ApplyManagerLanguage(const char* name)
{
    ApplyManagerLanguage(name, LanguageFilePath().c_str());
}

void ApplyManagerLanguage(const char* name, const char* path)
{
    LoadManagerTextDefaults();
    if (LoadLanguageFile(path)) {
        SelectLanguage(name);
        for (int i = 0; i < kManagerTextCount && g_SelectedLines.GetCount() > 0; ++i) {
            const ManagerTextKey key = static_cast<ManagerTextKey>(i);
            TxString text(ManagerTextDefault(key));
            if (!GetLanguageText(ManagerTextName(key), text)) continue;
            // A translated format that takes other arguments than the default would read the
            // wrong ones; the default stays.
            const char* english = ManagerTextDefault(key);
            if (std::strchr(english, '%') && !ui::SameConversions(text.GetText(), english)) {
                LogF("!ApplyManagerLanguage: %s of %s takes other arguments than \"%s\"; kept the default",
                     ManagerTextName(key), name, english);
                continue;
            }
            SetManagerText(key, text);
        }
    }
    g_LanguageLines.FreeAll();
    g_SelectedLines.FreeAll();
}

void ApplyInstalledLanguage()
{
    ApplyInstalledLanguage(LanguageFilePath().c_str());
}

void ApplyInstalledLanguage(const char* path)
{
    LoadManagerTextDefaults();
    // Read with its terminator forced where the registry says the text ends.
    TxString name;
    if (!ReadRegistryString(HKEY_LOCAL_MACHINE, kLanguageKey, kLanguageValue, name) || name.IsEmpty()) return;
    ApplyManagerLanguage(name.GetText(), path);
}

}  // namespace manager
