#include "ProgramList.h"

#include <vector>

namespace manager {

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

// The entries of a list, each trimmed; empty ones are dropped.
std::vector<std::string> Entries(const std::string& text)
{
    std::vector<std::string> entries;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        size_t first = start;
        size_t last = end;
        while (first < last && IsBlank(text[first]))
            ++first;
        while (last > first && IsBlank(text[last - 1]))
            --last;
        if (last > first) entries.push_back(text.substr(first, last - first));
        start = end + 1;
    }
    return entries;
}

std::string Join(const std::vector<std::string>& entries)
{
    std::string list;
    for (const std::string& entry : entries) {
        if (!list.empty()) list += ';';
        list += entry;
    }
    return list;
}

}  // namespace

std::string NormalizeProgramList(const std::string& text)
{
    return Join(Entries(text));
}

std::string ProgramDisplayName(const std::string& fileName)
{
    bool hasLower = false;
    for (char c : fileName)
        if (c >= 'a' && c <= 'z') hasLower = true;
    std::string name = fileName;
    const size_t dot = hasLower ? name.find('.') : 0;
    if (dot == std::string::npos) return name;
    for (size_t i = dot; i < name.size(); ++i)
        name[i] = AsciiLower(name[i]);
    return name;
}

bool ProgramListContains(const std::string& list, const std::string& program)
{
    for (const std::string& entry : Entries(list))
        if (EqualNoCase(entry, program)) return true;
    return false;
}

std::string ProgramListAdd(const std::string& list, const std::string& program)
{
    std::vector<std::string> entries = Entries(list);
    std::vector<std::string> added = Entries(program);
    if (added.size() == 1) entries.push_back(added[0]);
    return Join(entries);
}

std::string ProgramListRemove(const std::string& list, const std::string& program)
{
    std::vector<std::string> entries = Entries(list);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (EqualNoCase(entries[i], program)) {
            entries.erase(entries.begin() + static_cast<long>(i));
            break;
        }
    }
    return Join(entries);
}

std::string ProgramListCut(const std::string& list, size_t maxLength)
{
    std::vector<std::string> kept;
    size_t length = 0;
    for (const std::string& entry : Entries(list)) {
        const size_t more = entry.size() + (kept.empty() ? 0 : 1);
        if (length + more > maxLength) break;
        kept.push_back(entry);
        length += more;
    }
    return Join(kept);
}

}  // namespace manager
