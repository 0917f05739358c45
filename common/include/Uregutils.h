// Single registry values read and written with their type and size checked.
#pragma once

#include <windows.h>

#include <cstddef>

class TxString;

// Texts are read through a buffer of this size; a longer text does not fit and counts as absent.
constexpr size_t kRegTextBufferSize = 512;

// A REG_DWORD of exactly 4 bytes.
bool ReadRegDword(HKEY key, const char* valueName, DWORD& value);
// A REG_SZ or REG_EXPAND_SZ (not expanded) of at most 511 characters, terminated where the registry
// says its data ends, then cut to fit `field` of `fieldSize` bytes. `field` is untouched on failure.
bool ReadRegText(HKEY key, const char* valueName, char* field, size_t fieldSize);
// A REG_SZ or REG_EXPAND_SZ (not expanded) queried straight into `buffer` of `bufferSize` bytes, as
// the language texts are: a value larger than the buffer fails; one that fills it, with or without
// its zero, keeps its first bufferSize - 1 characters. `buffer` is zeroed first.
bool ReadRegTextFillingBuffer(HKEY key, const char* valueName, char* buffer, DWORD bufferSize);
// A REG_SZ or REG_EXPAND_SZ (not expanded) that fits whole, its terminator included, into `field` of
// `fieldSize` bytes, terminated where the registry says its data ends. A text that would have to be
// cut (a path, a translation) counts as absent: `field` is untouched and the result is false.
bool ReadRegTextWhole(HKEY key, const char* valueName, char* field, size_t fieldSize);
// A REG_BINARY of exactly the 8 bytes of a FILETIME, low word first.
bool ReadRegFileTime(HKEY key, const char* valueName, FILETIME& value);

// Each logs a failure with a leading "!" and returns false.
bool WriteRegDword(HKEY key, const char* valueName, DWORD value);
bool WriteRegText(HKEY key, const char* valueName, const char* text);  // REG_SZ with its zero
bool WriteRegFileTime(HKEY key, const char* valueName, const FILETIME& value);

// Reads one text value of `subkey` under `root` into `out`; false, with `out` unchanged, when the key
// or a fitting text value is absent.
bool ReadRegistryString(HKEY root, const char* subkey, const char* valueName, TxString& out);
