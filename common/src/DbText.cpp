// Case folding and sort keys for the database's key texts.
#include "DbText.h"

#include <windows.h>

namespace DbText {

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
