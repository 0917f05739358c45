// The language file KvLang.dat beside the program: its lines, the selected block, and the Manager's
// texts taken from the block the installer chose.
#pragma once

#include "Umanaglang.h"

namespace manager {

// Reads every line of the language file into the line list; the file beside the program, or the
// one named. An absent or unreadable file leaves the list empty; false then.
bool LoadLanguageFile();
bool LoadLanguageFile(const char* path);
// Keeps the lines of the first block of that name (compared without regard to case) as the
// selected block, trimmed, without empty and comment lines. Nothing when there is no such block.
void SelectLanguage(const char* name);
// Replaces `text` by the key's text in the selected block when the block has a non-empty one.
bool GetLanguageText(const char* key, TxString& text);
// Number of lines read from the file and kept from the selected block.
int LanguageFileLineCount();
int SelectedLanguageLineCount();

// The defaults, then every key from the named block of the language file (the one beside the
// program, or the one named), then both line lists emptied. A text used as a format is taken only
// when it takes the same arguments as its default.
void ApplyManagerLanguage(const char* name);
void ApplyManagerLanguage(const char* name, const char* path);

// The defaults, then the block named by the installer's "Language" value, when there is one, from
// the language file beside the program or the one named.
void ApplyInstalledLanguage();
void ApplyInstalledLanguage(const char* path);

}  // namespace manager
