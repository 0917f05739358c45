// Comparing and folding the texts of the database the way its sorted collections order them.
#pragma once

#include <string>

#include "UTxStrings.h"

namespace DbText {

// TxString::CompareNoCase, except that byte-identical texts are equal at once: the platform's
// comparison would say so too, and scans compare the same folder path against itself constantly.
inline int CompareKeyText(const TxString& a, const TxString& b)
{
    if (a.IsEmpty()) return -2;  // never equal, so items without texts keep their order
    if (a.GetLength() == b.GetLength() &&
        std::char_traits<char>::compare(a.GetText(), b.GetText(), a.GetLength()) == 0)
        return 0;
    return a.CompareNoCase(b);
}

// The text lower-cased as TxString::Find with ignoreCase does it (the user's locale).
std::string LowerCopy(const TxString& text);

// Appends the text's sort key to `keys`: byte order of two keys is the order of CompareNoCase on
// their texts, ignoring case. False when the platform cannot make one.
bool AppendSortKey(const TxString& text, std::string& keys);

}  // namespace DbText
