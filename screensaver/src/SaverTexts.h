// The screen saver's ten texts: English defaults, replaced by the glo_ and glx_ texts the installer
// left in HKEY_LOCAL_MACHINE \Language.
#pragma once

enum SaverTextId {
    glo_Caption,
    glo_RandomSelection,
    glo_Interpolation,
    glo_ShowFileName,
    glo_AppendDate,
    glo_ExchangePeriod,
    glo_Seconds,
    glo_CaptionConflictS,  // a format with one %s: the blocking program's display name
    glx_Ok,
    glx_Cancel,
    kSaverTextCount
};

void LoadSaverTextDefaults();
// Takes each text that reads whole into 100 bytes as REG_SZ or REG_EXPAND_SZ (not expanded); the
// format is taken only when its conversions are those of the English text.
void ReadSaverTextsFromRegistry();

const char* SaverText(SaverTextId id);
