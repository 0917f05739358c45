#include "UiFormatCheck.h"

#include <cstring>

namespace ui {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A width or precision at `p`: a '*' adds an argument to the signature; digits are counted.
bool TakeField(const char*& p, std::string& signature)
{
    if (*p == '*') {
        signature += signature.empty() ? "*" : " *";
        ++p;
        return true;
    }
    int digits = 0;
    while (IsDigit(*p)) {
        ++p;
        if (++digits > kMaxFormatFieldDigits) return false;
    }
    return true;
}

}  // namespace

bool ConversionSignature(const char* format, std::string& signature)
{
    signature.clear();
    if (!format) return false;
    for (const char* p = format; *p; ++p) {
        if (*p != '%') continue;
        ++p;
        if (*p == '%') continue;
        while (*p && std::strchr("-+ #0", *p))
            ++p;
        if (!TakeField(p, signature)) return false;
        if (*p == '$') return false;  // positional arguments
        if (*p == '.') {
            ++p;
            if (!TakeField(p, signature)) return false;
        }
        std::string conversion;
        while (*p && std::strchr("hlLqjzt", *p))
            conversion += *p++;
        if (*p == 'I') {  // the runtime's I64 and I32
            if ((p[1] == '6' && p[2] == '4') || (p[1] == '3' && p[2] == '2')) {
                conversion.append(p, 3);
                p += 3;
            } else {
                conversion += *p++;
            }
        }
        if (!*p || !std::strchr("diouxXeEfFgGaAcspS", *p)) return false;  // also rejects %n
        conversion += *p;
        if (!signature.empty()) signature += ' ';
        signature += conversion;
    }
    return true;
}

namespace {

// Conversions that take the same argument and print it alike compare equal: "i" reads an int as "d"
// does, and "x" and "X" print the same number in the same digits but for their case. "u" is its own kind:
// it prints a negative int otherwise than "d".
char ArgumentKind(char conversion)
{
    if (conversion == 'i') return 'd';
    if (conversion == 'X') return 'x';
    return conversion;
}

std::string ArgumentKinds(std::string signature)
{
    for (size_t i = 0; i < signature.size(); ++i) {
        const bool endsConversion = i + 1 == signature.size() || signature[i + 1] == ' ';
        if (endsConversion) signature[i] = ArgumentKind(signature[i]);
    }
    return signature;
}

}  // namespace

bool SameConversions(const char* format, const char* reference)
{
    std::string a;
    std::string b;
    return ConversionSignature(format, a) && ConversionSignature(reference, b) &&
           ArgumentKinds(a) == ArgumentKinds(b);
}

}  // namespace ui
