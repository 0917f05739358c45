// The table of the Manager's texts and its English defaults.
#include "ManagerTextStore.h"

#include "UiFormat.h"

#include <cstdarg>
#include <cstring>

namespace manager {

namespace {

struct TextEntry {
    const char* name;
    const char* english;
};

const TextEntry kTextEntries[kManagerTextCount] = {
#define KV_MANAGER_TEXT(key, english) {#key, english},
#include "UmanagTextList.inc"
#undef KV_MANAGER_TEXT
};

// Held for the whole run; filled with the defaults before the first use.
TxString g_ManagerTexts[kManagerTextCount];
bool g_bTextsLoaded = false;

bool IsKey(ManagerTextKey key)
{
    return key >= 0 && key < kManagerTextCount;
}

// The C runtime writes hexadecimal digits in lower case for %x; the Manager shows colours as
// "BGR 00FF80", so every %x of a format becomes %X.
std::string WithCapitalHex(const char* format)
{
    std::string result = format;
    for (size_t i = 0; i < result.size(); ++i) {
        if (result[i] != '%') continue;
        size_t j = i + 1;
        if (j < result.size() && result[j] == '%') {
            i = j;
            continue;
        }
        while (j < result.size() && std::strchr("-+ #0123456789.*hlLqjzt", result[j]))
            ++j;
        if (j < result.size() && result[j] == 'x') result[j] = 'X';
        i = j;
    }
    return result;
}

}  // namespace

const char* ManagerTextName(ManagerTextKey key)
{
    return IsKey(key) ? kTextEntries[key].name : "";
}

const char* ManagerTextDefault(ManagerTextKey key)
{
    return IsKey(key) ? kTextEntries[key].english : "";
}

bool FindManagerText(const char* name, ManagerTextKey& key)
{
    if (!name) return false;
    for (int i = 0; i < kManagerTextCount; ++i) {
        if (::_stricmp(kTextEntries[i].name, name) == 0) {
            key = static_cast<ManagerTextKey>(i);
            return true;
        }
    }
    return false;
}

void LoadManagerTextDefaults()
{
    for (int i = 0; i < kManagerTextCount; ++i)
        g_ManagerTexts[i].Assign(kTextEntries[i].english);
    g_bTextsLoaded = true;
}

const char* Text(ManagerTextKey key)
{
    if (!IsKey(key)) return "";
    if (!g_bTextsLoaded) LoadManagerTextDefaults();
    return g_ManagerTexts[key].GetText();
}

void SetManagerText(ManagerTextKey key, const TxString& text)
{
    if (!IsKey(key)) return;
    if (!g_bTextsLoaded) LoadManagerTextDefaults();
    g_ManagerTexts[key].Assign(text);
}

std::string FormatText(ManagerTextKey key, ...)
{
    // A text that does not take the default's arguments never reaches the formatter, even if one
    // got into the table some other way.
    const char* format = Text(key);
    if (!ui::SameConversions(format, ManagerTextDefault(key))) format = ManagerTextDefault(key);
    const std::string capitalHex = WithCapitalHex(format);
    va_list args;
    va_start(args, key);
    std::string text = ui::FormatV(capitalHex.c_str(), args);
    va_end(args);
    return text;
}

std::string ManagerCaption()
{
    return FormatText(glm_KestrovaDD, kManagerVersionMajor, kManagerVersionMinor);
}

}  // namespace manager
