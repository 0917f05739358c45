#include "SaverTexts.h"

#include "UiFormat.h"
#include "Uinstallvalues.h"
#include "Ulanguagetexts.h"

namespace {

constexpr size_t kSaverTextSize = kLanguageTextSizeSmall;  // at most 99 characters

const LanguageTextEntry kTexts[kSaverTextCount] = {
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
    LoadLanguageTextDefaults(kTexts, kSaverTextCount, &g_szTexts[0][0], kSaverTextSize);
}

void ReadSaverTextsFromRegistry()
{
    ReadLanguageTexts(kTexts, kSaverTextCount, &g_szTexts[0][0], kSaverTextSize, &ui::SameConversions);
}

const char* SaverText(SaverTextId id)
{
    return g_szTexts[id];
}
