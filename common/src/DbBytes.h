// Reading and checking the little-endian numbers and stored texts of the database files.
#pragma once

#include <windows.h>

#include <cstring>

#include "UTxStrings.h"

namespace DbBytes {

inline DWORD Get32(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 | static_cast<DWORD>(p[2]) << 16 |
           static_cast<DWORD>(p[3]) << 24;
}

inline void Put32(BYTE* p, DWORD value)
{
    p[0] = static_cast<BYTE>(value);
    p[1] = static_cast<BYTE>(value >> 8);
    p[2] = static_cast<BYTE>(value >> 16);
    p[3] = static_cast<BYTE>(value >> 24);
}

// Why a stored text's position and length (its zero included) cannot be right for a string file of
// `fileSize` bytes, or null when they can.
const char* TextRangeProblem(DWORD position, DWORD length, DWORD fileSize);

// Why the `length` stored bytes of a text are not one whole text as the saver writes it (non-empty,
// zero-terminated, no zero inside, preceded by the previous text's zero), or null. `before` is the
// byte in front of the text, 0 at the start of the file.
const char* TextBytesProblem(const BYTE* bytes, DWORD length, BYTE before);

}  // namespace DbBytes
