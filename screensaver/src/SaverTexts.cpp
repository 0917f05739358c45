#include "SaverTexts.h"

#include "UTxUtils.h"
#include "UiFormat.h"
#include "Uinstallvalues.h"
#include "Uregutils.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr size_t kSaverTextSize = kLanguageTextSizeSmall;  // at most 99 characters

struct TextEntry {
    const char* name;
    const char* defaultText;
    bool isFormat;
};

const TextEntry kTexts[kSaverTextCount] = {
    {"glo_Caption", "Kestrova Screen Saver Configuration", false},
    {"glo_RandomSelection", "Random image selection", false},
    {"glo_Interpolation", "Resample with interpolation", false},
    {"glo_ShowFileName", "Show image file name", false},
    {"glo_AppendDate", "Append image file date", false},
    {"glo_ExchangePeriod", "Exchange period:", false},
    {"glo_Seconds", "seconds", false},
    {"glo_CaptionConflictS", "Kestrova Screen Saver blocked due to: %s", true},
    {"glx_Ok", "OK", false},
    {"glx_Cancel", "Cancel", false},
};

// The dialog (window thread) and the blocked display (paint thread) load these; both only ever
// write the same texts, and the dialog never runs beside the saver window in one process.
char g_szTexts[kSaverTextCount][kSaverTextSize];

}  // namespace

void LoadSaverTextDefaults()
{
    for (int i = 0; i < kSaverTextCount; ++i) {
        std::strncpy(g_szTexts[i], kTexts[i].defaultText, kSaverTextSize - 1);
        g_szTexts[i][kSaverTextSize - 1] = '\0';
    }
}

void ReadSaverTextsFromRegistry()
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLanguageKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return;
    const RegKey key(opened);
    for (int i = 0; i < kSaverTextCount; ++i) {
        char buffer[kSaverTextSize];
        if (!ReadRegTextWhole(key.get(), kTexts[i].name, buffer, sizeof(buffer))) continue;
        if (kTexts[i].isFormat && !ui::SameConversions(buffer, kTexts[i].defaultText)) continue;
        std::memcpy(g_szTexts[i], buffer, std::strlen(buffer) + 1);
    }
}

const char* SaverText(SaverTextId id)
{
    return g_szTexts[id];
}
