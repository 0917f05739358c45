#include "UiFormat.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace ui {

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
        auto widthOrPrecision = [&p, &signature] {
            if (*p == '*') {
                signature += signature.empty() ? "*" : " *";
                ++p;
            } else {
                while (*p >= '0' && *p <= '9')
                    ++p;
            }
        };
        widthOrPrecision();
        if (*p == '$') return false;  // positional arguments
        if (*p == '.') {
            ++p;
            widthOrPrecision();
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

bool SameConversions(const char* format, const char* reference)
{
    std::string a;
    std::string b;
    return ConversionSignature(format, a) && ConversionSignature(reference, b) && a == b;
}

std::string FormatV(const char* format, va_list args)
{
    if (!format) return std::string();
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    return std::string(buffer.data(), static_cast<size_t>(length));
}

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    return text;
}

}  // namespace ui
