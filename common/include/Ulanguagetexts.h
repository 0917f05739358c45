// A program's short user-interface texts: English defaults, replaced by the translations the
// installer left in HKEY_LOCAL_MACHINE \Language. The texts live in the caller's table of fixed-size
// buffers, `textSize` bytes each, one per entry, in the order of the entries.
#pragma once

#include <cstddef>

struct LanguageTextEntry {
    const char* name;  // value name under \Language
    const char* defaultText;
    bool isFormat;  // used as a printf format
};

// True when `text` may stand in for the format `defaultText` (takes the same arguments).
using SameConversionsFn = bool (*)(const char* text, const char* defaultText);

void LoadLanguageTextDefaults(const LanguageTextEntry* entries, int count, char* texts, size_t textSize);

// Takes each translation that fits `textSize` bytes as REG_SZ or REG_EXPAND_SZ (not expanded); one
// that fills them without its terminator keeps its first textSize - 1 characters. A format only
// when `sameConversions` accepts it; a refused one is logged. Keeps the current texts when the key
// is missing. Every program reads its translations through this one reader.
void ReadLanguageTexts(const LanguageTextEntry* entries, int count, char* texts, size_t textSize,
                       SameConversionsFn sameConversions);
