// Comparing and folding the texts of the database the way its sorted collections order them.
#pragma once

#include <string>

#include "UTxStrings.h"

namespace DbText {

// What QuickOrder returns when only the platform's comparison can tell.
constexpr int kUndecided = 2;

// The order of two texts as CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE) gives it (-1, 0,
// 1), where that is certain without asking it; kUndecided otherwise. Byte-identical texts are equal.
// Where QuickOrderApplies, texts equal up to ASCII case are equal too, and texts that first differ
// (ignoring ASCII case) at two ASCII letters or digits order by those two alone: both have their own
// primary weight, the same before them on both sides, so nothing after them can matter.
int QuickOrder(const char* a, const char* b);

// Whether the user's sort order treats ASCII letters and digits as the default table does (digits
// before letters, alphabetical, case folded, no letter pairs sorted as one) in a single-byte code
// page; decided once per process.
bool QuickOrderApplies();

// TxString::CompareNoCase, with the platform asked only where QuickOrder cannot tell: scans and
// loads compare the same folder path against itself, and names that differ in a digit, constantly.
inline int CompareKeyText(const TxString& a, const TxString& b)
{
    if (a.IsEmpty()) return -2;  // never equal, so items without texts keep their order
    const int quick = QuickOrder(a.GetText(), b.GetText());
    if (quick != kUndecided) return quick;
    return a.CompareNoCase(b);
}

// The text lower-cased as TxString::Find with ignoreCase does it (the user's locale).
std::string LowerCopy(const TxString& text);

// Appends the text's sort key to `keys`: byte order of two keys is the order of CompareNoCase on
// their texts, ignoring case. False when the platform cannot make one.
bool AppendSortKey(const TxString& text, std::string& keys);

}  // namespace DbText
