#include "AgentTexts.h"

#include "UTxUtils.h"
#include "Uinstallvalues.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct TextEntry {
    const char* name;
    const char* defaultText;
    bool isFormat;
};

const TextEntry kTexts[kAgentTextCount] = {
    {"gla_Caption", "Kestrova Agent", false},
    {"gla_CaptionProgress", "Kestrova Agent (working...)", false},
    {"gla_CaptionBlocked", "Kestrova Agent (disabled)", false},
    {"gla_CaptionConflictS", "Kestrova Agent (blocked due to %s)", true},
    {"gla_Error", "Error", false},
    {"gla_CanotFindFunction", "Incompatible KvApi.dll", false},
    {"gla_Next", "Next wallpaper", false},
    {"gla_DoNotDisplayAgain", "Do not display this image again", false},
    {"gla_Manager", "Manager (settings)...", false},
    {"gla_Enable", "Enable changes", false},
    {"gla_Disable", "Disable changes", false},
    {"gla_Exit", "Exit", false},
};

char g_szTexts[kAgentTextCount][kAgentTextSize];

// The conversions of a format, each reduced to its length modifiers, '*' and conversion letter.
std::vector<std::string> Conversions(const char* format, bool& hasN)
{
    std::vector<std::string> result;
    hasN = false;
    for (const char* p = format; *p; ++p) {
        if (*p != '%') continue;
        ++p;
        if (*p == '%') continue;
        std::string spec;
        while (*p && std::strchr("-+ #0123456789.*hlLqjzt", *p)) {
            if (std::strchr("*hlLqjzt", *p)) spec += *p;
            ++p;
        }
        if (!*p) {
            result.push_back("<cut>");
            break;
        }
        if (*p == 'n') hasN = true;
        spec += *p;
        result.push_back(spec);
    }
    return result;
}

}  // namespace

bool SameConversions(const char* text, const char* reference)
{
    bool textHasN = false;
    bool referenceHasN = false;
    return Conversions(text, textHasN) == Conversions(reference, referenceHasN) && !textHasN;
}

std::string FormatWithText(const char* format, const char* argument)
{
    const int length = std::snprintf(nullptr, 0, format, argument);
    if (length <= 0) return std::string();
    std::string result(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(&result[0], result.size(), format, argument);
    result.resize(static_cast<size_t>(length));
    return result;
}

void LoadDefaultTexts()
{
    for (int i = 0; i < kAgentTextCount; ++i) {
        std::strncpy(g_szTexts[i], kTexts[i].defaultText, kAgentTextSize - 1);
        g_szTexts[i][kAgentTextSize - 1] = '\0';
    }
}

void LoadLanguageTexts()
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLanguageKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return;
    RegKey key(opened);
    for (int i = 0; i < kAgentTextCount; ++i) {
        char buffer[kAgentTextSize] = {};
        DWORD type = 0;
        DWORD size = sizeof(buffer);
        if (::RegQueryValueExA(key.get(), kTexts[i].name, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                               &size) != ERROR_SUCCESS)
            continue;
        if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
        // The registry does not promise a terminator: the text ends where its data ends, and a
        // text that leaves no room for one does not fit.
        if (size >= sizeof(buffer) && buffer[sizeof(buffer) - 1] != '\0') continue;
        buffer[std::min<DWORD>(size, sizeof(buffer) - 1)] = '\0';
        if (kTexts[i].isFormat && !SameConversions(buffer, kTexts[i].defaultText)) continue;
        std::memcpy(g_szTexts[i], buffer, sizeof(buffer));
    }
}

const char* AgentText(AgentTextId id) { return g_szTexts[id]; }
const char* AgentTextName(AgentTextId id) { return kTexts[id].name; }
const char* AgentDefaultText(AgentTextId id) { return kTexts[id].defaultText; }
