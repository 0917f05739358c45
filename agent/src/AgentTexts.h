// The Agent's twelve texts: English defaults, replaced by the gla_ texts the installer left in
// HKEY_LOCAL_MACHINE \Language.
#pragma once

enum AgentTextId {
    gla_Caption,
    gla_CaptionProgress,
    gla_CaptionBlocked,
    gla_CaptionConflictS,  // a format with one %s: the conflicting program's display name
    gla_Error,
    gla_CanotFindFunction,
    gla_Next,
    gla_DoNotDisplayAgain,
    gla_Manager,
    gla_Enable,
    gla_Disable,
    gla_Exit,
    kAgentTextCount
};

void LoadDefaultTexts();
// Takes each text that reads whole into 100 bytes as REG_SZ or REG_EXPAND_SZ (not expanded); a
// text used as a format is taken only when its conversions are those of the English text.
void LoadLanguageTexts();

const char* AgentText(AgentTextId id);
const char* AgentTextName(AgentTextId id);
const char* AgentDefaultText(AgentTextId id);
