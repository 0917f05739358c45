#include "InstallLogLine.h"

namespace {

constexpr size_t kTagLength = 10;

struct TagName {
    const char* text;
    LogTag tag;
};
const TagName kTags[] = {
    {"S_TIME___ ", LogTag::Time},         {"S_PRGFILE ", LogTag::ProgramFile},
    {"S_IMGFILE ", LogTag::ImageFile},    {"S_FOLDER_ ", LogTag::Folder},
    {"S_AUTORUN ", LogTag::AutoRun},      {"S_LNKFILE ", LogTag::ShortcutFile},
    {"S_UNINST_ ", LogTag::UninstallKey}, {"S_IMGID__ ", LogTag::ImageIdentity},
    {"S_ZONE___ ", LogTag::TimeZone},
};

char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsBlankText(const std::string& text)
{
    for (char c : text)
        if (!IsBlank(c)) return false;
    return true;
}

// A number of `digits` decimal digits at a fixed place; false when one is not a digit.
bool ReadNumber(const std::string& text, size_t position, size_t digits, int& value)
{
    if (text.size() < position + digits) return false;
    int number = 0;
    for (size_t i = position; i < position + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        number = number * 10 + (text[i] - '0');
    }
    value = number;
    return true;
}

int DaysInMonth(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// The next blank-separated word from `at`; `at` moves past it.
std::string NextWord(const std::string& text, size_t& at)
{
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    const size_t start = at;
    while (at < text.size() && !IsBlank(text[at]))
        ++at;
    return text.substr(start, at - start);
}

bool ParseUnsigned(const std::string& word, unsigned base, size_t maxDigits, unsigned long long& value)
{
    if (word.empty() || word.size() > maxDigits) return false;
    unsigned long long number = 0;
    for (char c : word) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && AsciiUpper(c) >= 'A' && AsciiUpper(c) <= 'F')
            digit = static_cast<unsigned>(AsciiUpper(c) - 'A' + 10);
        else
            return false;
        number = number * base + digit;
    }
    value = number;
    return true;
}

}  // namespace

LogEntry ParseLogLine(const std::string& line)
{
    LogEntry entry;
    if (line.size() <= kTagLength) return entry;
    for (const TagName& name : kTags) {
        size_t i = 0;
        while (i < kTagLength && AsciiUpper(line[i]) == name.text[i])
            ++i;
        if (i < kTagLength) continue;
        std::string argument = line.substr(kTagLength);
        if (IsBlankText(argument)) return entry;
        if (name.tag == LogTag::UninstallKey && argument.find('\\') != std::string::npos) return entry;
        entry.tag = name.tag;
        entry.argument = std::move(argument);
        return entry;
    }
    return entry;
}

std::vector<std::string> SplitLogText(const std::string& text, size_t& dropped)
{
    std::vector<std::string> lines;
    dropped = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        const std::string line = text.substr(start, end - start);
        if (line.size() > kMaxLogLineLength || line.find('\0') != std::string::npos) {
            ++dropped;
            lines.emplace_back();  // the line numbers of the others stay as in the file
        } else {
            lines.push_back(line);
        }
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return lines;
}

bool ParseTimeArgument(const std::string& argument, CalendarTime& time)
{
    CalendarTime t;
    if (!ReadNumber(argument, 0, 2, t.day) || !ReadNumber(argument, 3, 2, t.month) ||
        !ReadNumber(argument, 6, 4, t.year) || !ReadNumber(argument, 11, 2, t.hour) ||
        !ReadNumber(argument, 14, 2, t.minute))
        return false;
    if (t.year < 1601 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) ||
        t.hour > 23 || t.minute > 59)
        return false;
    time = t;
    return true;
}

bool ParseImageIdentity(const std::string& argument, ImageIdentity& identity)
{
    size_t at = 0;
    ImageIdentity parsed;
    if (!ParseUnsigned(NextWord(argument, at), 10, 19, parsed.size)) return false;
    const std::string time = NextWord(argument, at);
    if (time.size() != 16 || !ParseUnsigned(time, 16, 16, parsed.writeTime)) return false;
    size_t afterChecksum = at;
    const std::string checksum = NextWord(argument, afterChecksum);
    unsigned long long value = 0;
    if (checksum.size() == 8 && afterChecksum - checksum.size() == at + 1 &&
        ParseUnsigned(checksum, 16, 8, value)) {
        parsed.hasChecksum = true;
        parsed.checksum = static_cast<unsigned long>(value);
        at = afterChecksum;
    }
    // Exactly one blank before the path: a path may begin with anything the file system allows.
    if (at >= argument.size() || argument[at] != ' ' || at + 1 >= argument.size()) return false;
    parsed.path = argument.substr(at + 1);
    identity = parsed;
    return true;
}

bool IsUtcZone(const std::string& argument)
{
    size_t at = 0;
    std::string word = NextWord(argument, at);
    for (char& c : word)
        c = AsciiUpper(c);
    return word == "UTC" && IsBlankText(argument.substr(at));
}
