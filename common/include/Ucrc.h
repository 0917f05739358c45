// The CRC that folds scanned directory paths and image names into a folder's change signature.
#pragma once

#include <windows.h>

// Reflected CRC-32 of the polynomial 0xEDB88320 over the bytes of a zero-terminated text, continued
// from `crc` with no inversion at either end, so a folder's signature can be built up text by text.
// A null text leaves the value unchanged.
DWORD Crc32String(DWORD crc, const char* text);
