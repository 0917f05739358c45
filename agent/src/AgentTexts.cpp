#include "AgentTexts.h"

#include "UTxUtils.h"
#include "UiFormat.h"
#include "Uinstallvalues.h"
#include "Uregutils.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr int kAgentTextSize = static_cast<int>(kLanguageTextSizeSmall);  // at most 99 characters

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

}  // namespace

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
        char buffer[kAgentTextSize];
        if (!ReadRegTextFillingBuffer(key.get(), kTexts[i].name, buffer, sizeof(buffer))) continue;
        if (kTexts[i].isFormat && !ui::SameConversions(buffer, kTexts[i].defaultText)) continue;
        std::memcpy(g_szTexts[i], buffer, sizeof(buffer));
    }
}

const char* AgentText(AgentTextId id)
{
    return g_szTexts[id];
}
const char* AgentTextName(AgentTextId id)
{
    return kTexts[id].name;
}
const char* AgentDefaultText(AgentTextId id)
{
    return kTexts[id].defaultText;
}
