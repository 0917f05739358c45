#include "AgentTexts.h"

#include "UiFormat.h"
#include "Uinstallvalues.h"
#include "Ulanguagetexts.h"

namespace {

constexpr int kAgentTextSize = static_cast<int>(kLanguageTextSizeSmall);  // at most 99 characters

const LanguageTextEntry kTexts[kAgentTextCount] = {
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
    LoadLanguageTextDefaults(kTexts, kAgentTextCount, &g_szTexts[0][0], kAgentTextSize);
}

void LoadLanguageTexts()
{
    ReadLanguageTexts(kTexts, kAgentTextCount, &g_szTexts[0][0], kAgentTextSize, &ui::SameConversions);
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
