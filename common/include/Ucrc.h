// The CRC that folds scanned directory paths and image names into a folder's change signature, and
// that checks a file's content.
#pragma once

#include <windows.h>

// Reflected CRC-32 of the polynomial 0xEDB88320 over the bytes of a zero-terminated text, continued
// from `crc` with no inversion at either end, so a folder's signature can be built up text by text.
// A null text leaves the value unchanged.
DWORD Crc32String(DWORD crc, const char* text);

// The same over `size` bytes, zero bytes included. Started from 0xFFFFFFFF and inverted at the end
// it is the CRC-32 of zip and PNG files, by which the build and the uninstaller tell a file's content.
DWORD Crc32Bytes(DWORD crc, const void* data, size_t size);
