#include "UiFormat.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "UTxLog.h"

namespace ui {

std::string FormatV(const char* format, va_list args)
{
    if (!format) return std::string();
    // A field width or precision the check refuses is never built, whoever passed the format.
    std::string signature;
    if (!ConversionSignature(format, signature)) {
        LogF("!FormatV: the format \"%.80s\" is refused", format);
        return std::string();
    }
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
