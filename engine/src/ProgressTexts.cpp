// The twelve progress texts: English defaults, replaced once per process by the installer's
// translations under HKLM \Language.
#include <atomic>
#include <cstdarg>
#include <string>

#include "Fprogress.h"
#include "UTxLog.h"
#include "UTxUtils.h"
#include "UiFormat.h"
#include "Uinstallvalues.h"
#include "Uregutils.h"
#include "Usync.h"

namespace {

struct ProgressTextEntry {
    const char* szValueName;
    const char* szDefault;
};

constexpr ProgressTextEntry kProgressTexts[gld_Count] = {
    {"gld_ReadingS", "Reading %s..."},
    {"gld_ResamplingDDDD", "Resampling from %dx%d to %dx%d..."},
    {"gld_CalculatingColor", "Calculating background color..."},
    {"gld_Saving", "Saving to BMP file..."},
    {"gld_ErrorNotConfigured", "ERROR: Missing configuration."},
    {"gld_ErrorFileNotExist", "ERROR: File does not exist:"},
    {"gld_ErrorCannotReadWrite", "ERROR: Image cannot be read or saved."},
    {"gld_CheckingChanges", "Checking folders for changes..."},
    {"gld_RandomSelection", "Making random selection..."},
    {"gld_ErrorNoImageFound", "ERROR: No image matching criteria found."},
    {"gld_SelectedImage", "Selected image:"},
    {"gld_RotatingImage", "Rotating image..."},
};

constexpr DWORD kValueBufferSize = kLanguageTextSize;

std::string g_ProgressTexts[gld_Count];
std::atomic<bool> g_bProgressTextsLoaded{false};

bool IsValidId(ProgressTextId id)
{
    return id >= 0 && id < gld_Count;
}

// Only the texts whose defaults take arguments are ever used as formats.
bool IsFormatText(ProgressTextId id)
{
    std::string signature;
    return ui::ConversionSignature(kProgressTexts[id].szDefault, signature) && !signature.empty();
}

// A translation stands in for a format only when it takes exactly the default's arguments: any
// other conversion would read arguments that are not there.
bool IsUsableTranslation(ProgressTextId id, const char* text)
{
    return !IsFormatText(id) || ui::SameConversions(text, kProgressTexts[id].szDefault);
}

void ReadTranslation(HKEY key, ProgressTextId id)
{
    const char* name = kProgressTexts[id].szValueName;
    char buffer[kValueBufferSize];
    // Missing, not a text, or longer than the buffer: the default stays.
    if (!ReadRegTextFillingBuffer(key, name, buffer, sizeof buffer)) return;
    if (!IsUsableTranslation(id, buffer)) {
        LogF("!Language value %s does not take the arguments of \"%s\", kept the default", name,
             kProgressTexts[id].szDefault);
        return;
    }
    g_ProgressTexts[id] = buffer;
}

}  // namespace

void LoadProgressTexts()
{
    if (g_bProgressTextsLoaded.load()) return;
    for (int i = 0; i < gld_Count; ++i)
        g_ProgressTexts[i] = kProgressTexts[i].szDefault;
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLanguageKey, 0, KEY_READ, &opened) == ERROR_SUCCESS) {
        RegKey key(opened);
        for (int i = 0; i < gld_Count; ++i)
            ReadTranslation(key.get(), static_cast<ProgressTextId>(i));
    }
    g_bProgressTextsLoaded.store(true);
}

const char* ProgressText(ProgressTextId id)
{
    if (!IsValidId(id)) return "";
    return g_bProgressTextsLoaded.load() ? g_ProgressTexts[id].c_str() : kProgressTexts[id].szDefault;
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
