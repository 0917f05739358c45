// The text of Install.log, read without touching files, the registry or the log: its lines, the tag
// and argument of each line, and the numbers some arguments carry. The removal acts on what these
// return; nothing here may trust the text.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class LogTag {
    None,          // any other line: ignored
    Time,          // "S_TIME___ ": installation time for the image lines above it
    ProgramFile,   // "S_PRGFILE "
    ImageFile,     // "S_IMGFILE ": kept when written after the installation or no longer as installed
    Folder,        // "S_FOLDER_ "
    AutoRun,       // "S_AUTORUN ": a value of HKEY_LOCAL_MACHINE's Run key
    ShortcutFile,  // "S_LNKFILE "
    UninstallKey,  // "S_UNINST_ ": a subkey of HKEY_LOCAL_MACHINE's Uninstall key
    // Written by newer installers beside the seven above, which older uninstallers skip as lines they
    // do not know:
    ImageIdentity,  // "S_IMGID__ <size> <16 hex digits of the last write time> [<8 hex digits of
                    // the content's CRC-32>] <path>"
    TimeZone,       // "S_ZONE___ UTC": the time lines of this log are UTC, not local time
};

struct LogEntry {
    LogTag tag = LogTag::None;
    std::string argument;
};

// The first ten characters are the tag (compared without regard to case), the rest the argument. A
// line whose argument is empty or only blanks is ignored, and so is an uninstall key name with a '\':
// neither may aim at a whole key.
LogEntry ParseLogLine(const std::string& line);

// Lines longer than this are no line the installer writes (a path has at most 259 characters).
constexpr size_t kMaxLogLineLength = 4096;

// The lines of a log text, ended by CR LF, CR or LF. A line longer than kMaxLogLineLength or holding
// a zero byte (a wide text, a binary file) is dropped whole, never cut into pieces that could read
// as lines of their own; `dropped` counts them.
std::vector<std::string> SplitLogText(const std::string& text, size_t& dropped);

struct CalendarTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// An "S_TIME___ " argument: two-digit day in characters 1-2, month in 4-5, four-digit year in 7-10,
// hour in 12-13, minute in 15-16; the characters between are not checked. False when a number is
// not all digits or the numbers form no date and time of day (31 February, hour 24).
bool ParseTimeArgument(const std::string& argument, CalendarTime& time);

// What identifies an installed image: its size, last write time and content as the installer left
// it. Logs of earlier installers give no checksum.
struct ImageIdentity {
    unsigned long long size = 0;
    unsigned long long writeTime = 0;  // FILETIME units, UTC
    bool hasChecksum = false;
    unsigned long checksum = 0;  // CRC-32 as zip files have it (Crc32Bytes from 0xFFFFFFFF, inverted)
    std::string path;
};

// An "S_IMGID__ " argument; false when its numbers or its path are missing. The checksum is the word
// of exactly 8 hex digits after the time; a full path is never such a word.
bool ParseImageIdentity(const std::string& argument, ImageIdentity& identity);

// "S_ZONE___ UTC", in any letter case, with blanks around.
bool IsUtcZone(const std::string& argument);
