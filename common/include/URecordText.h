// A text field of the settings record as a string, also when the field lacks its terminator: a
// record filled from the registry or by another program may use every byte of a field.
#pragma once

#include <cstring>
#include <string>

template <size_t N> std::string RecordText(const char (&field)[N])
{
    return std::string(field, ::strnlen(field, N));
}
