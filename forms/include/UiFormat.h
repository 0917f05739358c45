// printf-style formatting for texts that come from outside (registry, language file).
#pragma once

#include <cstdarg>
#include <string>

#include "UiFormatCheck.h"

namespace ui {

// vsnprintf into a string sized for the result; empty for a format ConversionSignature refuses.
std::string FormatV(const char* format, va_list args);
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace ui
