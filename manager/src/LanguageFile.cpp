// The language file KvLang.dat read beside the program and its texts applied; LanguageFileText takes
// its lines apart.
#include "LanguageFile.h"
#include "LanguageFileText.h"

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
#include <vector>

namespace manager {

namespace {

// The file's lines live only while the texts are applied; the selected block's lines likewise.
TxStringCollection g_LanguageLines(64, 64);
std::vector<std::string> g_SelectedLines;

bool SameTextInUserLocale(const char* a, const char* b)
{
    return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, -1, b, -1) == CSTR_EQUAL;
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
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(g_LanguageLines.GetCount()));
    for (int i = 0; i < g_LanguageLines.GetCount(); ++i)
        lines.emplace_back(g_LanguageLines.StringAt(i)->GetText());
    SelectLanguageBlock(lines, name, &SameTextInUserLocale, g_SelectedLines);
}

bool GetLanguageText(const char* key, TxString& text)
{
    std::string found;
    if (!FindLanguageText(g_SelectedLines, key, &SameTextInUserLocale, found)) return false;
    text.Assign(found.c_str());
    return true;
}

int LanguageFileLineCount()
{
    return g_LanguageLines.GetCount();
}
int SelectedLanguageLineCount()
{
    return static_cast<int>(g_SelectedLines.size());
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
        for (int i = 0; i < kManagerTextCount && !g_SelectedLines.empty(); ++i) {
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
    g_SelectedLines.clear();
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
