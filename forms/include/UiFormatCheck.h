// The check a printf format from outside (registry, language file) must pass before it is used:
// pure functions over text, with no window, file, registry or log behind them.
#pragma once

#include <string>

namespace ui {

// Widths and precisions written with more digits than this are refused: a text has no use for a
// field of a thousand characters, and a huge one would have the formatter build it.
constexpr int kMaxFormatFieldDigits = 3;

// The arguments a printf format consumes, one letter group per conversion in order ("%s" gives "s",
// "%dx%d" gives "d d", "%*s" gives "* s", "%ld" gives "ld"); "%%" consumes nothing. Returns false for a
// format the check does not understand or refuses: a lone '%' at the end, "%n", positional "%1$s", a
// width or precision of more than kMaxFormatFieldDigits digits.
bool ConversionSignature(const char* format, std::string& signature);

// A text may stand in for a default format only when it takes the very same arguments and prints
// each alike: "%i" for "%d" and "%X" for "%x" are accepted, "%u" only where the default has "%u".
bool SameConversions(const char* format, const char* reference);

}  // namespace ui
