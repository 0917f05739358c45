// The user's list of blocking programs: program file names separated by ";", as the Agent and the
// screen saver read it from \Agent "ConflictingPrgs".
#pragma once

#include <string>

namespace manager {

// The longest list the settings record can read back (its field holds 512 bytes with the zero): a
// longer value would count as missing at the next start and be replaced by the default.
constexpr size_t kMaxProgramListLength = 511;

// The canonical form of a list: entries without surrounding blanks or control characters, no empty
// entry (an empty entry would match every window), separated by single ";".
std::string NormalizeProgramList(const std::string& text);

// The name shown for a program file: a name without lower-case letters in lower case
// ("NOTEPAD.EXE" gives "notepad.exe"), otherwise only its extension from the first "." on
// ("Notepad.EXE" gives "Notepad.exe").
std::string ProgramDisplayName(const std::string& fileName);

// Whether the normalised list holds the program as a whole entry, compared without regard to ASCII case.
bool ProgramListContains(const std::string& list, const std::string& program);
// The normalised list with the program appended (its case kept).
std::string ProgramListAdd(const std::string& list, const std::string& program);
// The normalised list without the first entry equal to the program (ASCII case ignored).
std::string ProgramListRemove(const std::string& list, const std::string& program);
// The normalised list cut after the last whole entry that fits `maxLength`.
std::string ProgramListCut(const std::string& list, size_t maxLength);

}  // namespace manager
