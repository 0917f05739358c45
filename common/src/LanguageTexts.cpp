#include "Ulanguagetexts.h"

#include "UTxLog.h"
#include "UTxUtils.h"
#include "Uinstallvalues.h"
#include "Uregutils.h"

#include <windows.h>

#include <cstring>
#include <vector>

void LoadLanguageTextDefaults(const LanguageTextEntry* entries, int count, char* texts, size_t textSize)
{
    for (int i = 0; i < count; ++i) {
        char* text = texts + static_cast<size_t>(i) * textSize;
        std::strncpy(text, entries[i].defaultText, textSize - 1);
        text[textSize - 1] = '\0';
    }
}

void ReadLanguageTexts(const LanguageTextEntry* entries, int count, char* texts, size_t textSize,
                       SameConversionsFn sameConversions)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLanguageKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return;
    const RegKey key(opened);
    std::vector<char> buffer(textSize);
    for (int i = 0; i < count; ++i) {
        if (!ReadRegTextFillingBuffer(key.get(), entries[i].name, buffer.data(),
                                      static_cast<DWORD>(textSize)))
            continue;
        // A format that takes other arguments would read ones that are not there.
        if (entries[i].isFormat && !sameConversions(buffer.data(), entries[i].defaultText)) {
            LogF("!Language value %s does not take the arguments of \"%s\", kept the default",
                 entries[i].name, entries[i].defaultText);
            continue;
        }
        std::memcpy(texts + static_cast<size_t>(i) * textSize, buffer.data(), std::strlen(buffer.data()) + 1);
    }
}
