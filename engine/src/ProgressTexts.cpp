// The twelve progress texts: English defaults, replaced once per process by the installer's
// translations under HKLM \Language, read as every program reads them.
#include <atomic>
#include <cstdarg>
#include <string>

#include "Fprogress.h"
#include "UTxLog.h"
#include "UTxUtils.h"
#include "UiFormat.h"
#include "UiFormatCheck.h"
#include "Ulanguagetexts.h"
#include "Uinstallvalues.h"
#include "Usync.h"

namespace {

// The two texts that take arguments are used as formats.
constexpr LanguageTextEntry kProgressTexts[gld_Count] = {
    {"gld_ReadingS", "Reading %s...", true},
    {"gld_ResamplingDDDD", "Resampling from %dx%d to %dx%d...", true},
    {"gld_CalculatingColor", "Calculating background color...", false},
    {"gld_Saving", "Saving to BMP file...", false},
    {"gld_ErrorNotConfigured", "ERROR: Missing configuration.", false},
    {"gld_ErrorFileNotExist", "ERROR: File does not exist:", false},
    {"gld_ErrorCannotReadWrite", "ERROR: Image cannot be read or saved.", false},
    {"gld_CheckingChanges", "Checking folders for changes...", false},
    {"gld_RandomSelection", "Making random selection...", false},
    {"gld_ErrorNoImageFound", "ERROR: No image matching criteria found.", false},
    {"gld_SelectedImage", "Selected image:", false},
    {"gld_RotatingImage", "Rotating image...", false},
};

char g_szProgressTexts[gld_Count][kLanguageTextSize];
std::atomic<bool> g_bProgressTextsLoaded{false};

bool IsValidId(ProgressTextId id)
{
    return id >= 0 && id < gld_Count;
}

bool IsFormatText(ProgressTextId id)
{
    return kProgressTexts[id].isFormat;
}

}  // namespace

void LoadProgressTexts()
{
    if (g_bProgressTextsLoaded.load()) return;
    LoadLanguageTextDefaults(kProgressTexts, gld_Count, &g_szProgressTexts[0][0], kLanguageTextSize);
    ReadLanguageTexts(kProgressTexts, gld_Count, &g_szProgressTexts[0][0], kLanguageTextSize,
                      &ui::SameConversions);
    g_bProgressTextsLoaded.store(true);
}

const char* ProgressText(ProgressTextId id)
{
    if (!IsValidId(id)) return "";
    return g_bProgressTextsLoaded.load() ? g_szProgressTexts[id] : kProgressTexts[id].defaultText;
}

void ReportProgressF(ProgressTextId id, ...)
{
    if (!IsValidId(id) || !g_Synchronization.IsHeldByCurrentThread()) return;
    if (!IsFormatText(id)) {
        ReportProgress(ProgressText(id));
        return;
    }
    va_list args;
    va_start(args, id);
    const std::string text = ui::FormatV(ProgressText(id), args);
    va_end(args);
    ReportProgress(text.c_str());
}
