// Case folding and sort keys for the database's key texts.
#include "DbText.h"

#include <windows.h>

namespace {

bool IsAsciiLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

unsigned char AsciiLower(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

int PlatformOrder(const char* a, const char* b)
{
    return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, -1, b, -1) - 2;
}

bool SingleByteCodePage(UINT codePage)
{
    CPINFO info{};
    return ::GetCPInfo(codePage, &info) && info.MaxCharSize == 1;
}

// Languages whose default sort has no contraction of ASCII letters (no "ch", "ll", "aa", "cs"
// sorted as one letter), orders a-z alphabetically and folds ASCII case the plain way (not as
// Turkish and Azeri fold 'I').
bool LanguageSortsAsciiPlainly(LANGID language)
{
    switch (PRIMARYLANGID(language)) {
    case LANG_ENGLISH:
    case LANG_GERMAN:
    case LANG_FRENCH:
    case LANG_ITALIAN:
    case LANG_PORTUGUESE:
        return true;
    default:
        return false;
    }
}

bool DecideQuickOrderApplies()
{
    const LCID locale = ::GetUserDefaultLCID();
    if (SORTIDFROMLCID(locale) != SORT_DEFAULT || !LanguageSortsAsciiPlainly(LANGIDFROMLCID(locale)))
        return false;
    // A double-byte code page could pair a lead byte before the difference with the letter after it.
    if (!SingleByteCodePage(CP_ACP)) return false;
    UINT localeCodePage = 0;
    if (::GetLocaleInfoA(locale, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                         reinterpret_cast<char*>(&localeCodePage), sizeof localeCodePage) == 0 ||
        (localeCodePage != 0 && !SingleByteCodePage(localeCodePage)))
        return false;
    // The platform itself must agree with the order assumed: each of the 36 after the one before,
    // and every letter equal to its capital.
    static const char kOrder[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int i = 1; kOrder[i]; ++i) {
        const char before[2] = {kOrder[i - 1], 0};
        const char after[2] = {kOrder[i], 0};
        if (PlatformOrder(before, after) != -1 || PlatformOrder(after, before) != 1) return false;
        if (IsAsciiLetter(static_cast<unsigned char>(after[0]))) {
            const char capital[2] = {static_cast<char>(after[0] - 'a' + 'A'), 0};
            if (PlatformOrder(after, capital) != 0) return false;
        }
    }
    return true;
}

}  // namespace

namespace DbText {

bool QuickOrderApplies()
{
    static const bool applies = DecideQuickOrderApplies();
    return applies;
}

int QuickOrder(const char* a, const char* b)
{
    size_t i = 0;
    while (a[i] == b[i]) {
        if (a[i] == 0) return 0;
        ++i;
    }
    if (!QuickOrderApplies()) return kUndecided;
    for (;; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca == cb) {
            if (ca == 0) return 0;
            continue;
        }
        const unsigned char la = AsciiLower(ca);
        const unsigned char lb = AsciiLower(cb);
        if (la == lb && IsAsciiLetter(ca)) continue;
        // Lower-case ASCII orders digits before letters, both as the sort does.
        const bool decisive =
            (IsAsciiLetter(ca) || IsAsciiDigit(ca)) && (IsAsciiLetter(cb) || IsAsciiDigit(cb));
        if (!decisive) return kUndecided;
        return la < lb ? -1 : 1;
    }
}

std::string LowerCopy(const TxString& text)
{
    std::string lower(text.GetText(), static_cast<size_t>(text.GetLength()));
    if (!lower.empty()) ::CharLowerBuffA(&lower[0], static_cast<DWORD>(lower.size()));
    return lower;
}

bool AppendSortKey(const TxString& text, std::string& keys)
{
    char buffer[2048];
    int length = ::LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, text.GetText(), -1,
                                buffer, sizeof buffer);
    if (length > 0) {
        keys.append(buffer, static_cast<size_t>(length));
        return true;
    }
    // A text whose key does not fit the buffer: ask for the size first.
    length =
        ::LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, text.GetText(), -1, nullptr, 0);
    if (length <= 0) return false;
    std::string key(static_cast<size_t>(length), '\0');
    if (::LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, text.GetText(), -1, &key[0],
                       length) != length)
        return false;
    keys += key;
    return true;
}

}  // namespace DbText
