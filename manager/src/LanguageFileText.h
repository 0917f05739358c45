// The language file's lines taken apart with no file, registry, window or log call: the block of
// one language and the texts of its keys. LanguageFile.cpp reads the file and applies the texts.
#pragma once

#include <string>
#include <vector>

namespace manager {

// Texts equal without regard to case as the user's locale sees them; the Windows side compares
// with the system's function, the native fuzz build in ASCII.
using SameTextNoCase = bool (*)(const char* a, const char* b);

// Finds the first block "BEGIN-LANGUAGE <name>" (the line trimmed, the keyword in any case, the
// name after it trimmed and compared with `same`) and gives its lines up to the first line that
// begins with "END-LANGUAGE" (any case) or the end: trimmed, without empty lines and lines
// beginning with "//". A block of another name is passed line by line, so a start inside it is
// still seen. False, `selected` untouched, when no block has that name.
bool SelectLanguageBlock(const std::vector<std::string>& lines, const char* name, SameTextNoCase same,
                         std::vector<std::string>& selected);

// The text of the first line of the block equal to `key` (compared with `same`): the lines after it
// up to the next line that starts like a key ("g", "l", any character, "_") or the end, joined with
// one blank, "\r" and "\n" (either case) turned into a carriage return and a line feed. False when
// the key is missing or its text comes out empty; only the first occurrence of a key counts.
bool FindLanguageText(const std::vector<std::string>& selected, const char* key, SameTextNoCase same,
                      std::string& text);

// The line with the characters of code 32 or less removed at both ends.
std::string TrimLanguageLine(const std::string& line);

}  // namespace manager
