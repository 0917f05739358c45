// printf-style formatting for texts that come from outside (registry, language file).
#pragma once

#include <cstdarg>
#include <string>

namespace ui {

// The arguments a printf format consumes, one letter group per conversion in order ("%s" gives "s",
// "%dx%d" gives "d d", "%*s" gives "* s", "%ld" gives "ld"); "%%" consumes nothing. Returns false for a
// format the check does not understand (a lone '%' at the end, "%n", positional "%1$s", ...).
bool ConversionSignature(const char* format, std::string& signature);

// A text may stand in for a default format only when it takes the very same arguments.
bool SameConversions(const char* format, const char* reference);

// vsnprintf into a string sized for the result.
std::string FormatV(const char* format, va_list args);
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace ui
