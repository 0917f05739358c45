#include "LanguageFileText.h"

#include <cstring>

namespace manager {

namespace {

constexpr const char* kBeginLanguage = "BEGIN-LANGUAGE";
constexpr const char* kEndLanguage = "END-LANGUAGE";
constexpr size_t kBeginLanguageLength = 14;

char LowerAscii(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<char>(u - 'A' + 'a') : c;
}

bool BeginsWithNoCase(const std::string& line, const char* prefix)
{
    const size_t length = std::strlen(prefix);
    if (line.size() < length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (LowerAscii(line[i]) != LowerAscii(prefix[i])) return false;
    }
    return true;
}

// "g", "l", any character, "_": the start of any program's key (glm_, glx_, gla_, ...).
bool LooksLikeKey(const std::string& line)
{
    return line.size() >= 4 && LowerAscii(line[0]) == 'g' && LowerAscii(line[1]) == 'l' && line[3] == '_';
}

// "\r" and "\n" (either case) stand for a carriage return and a line feed.
std::string ExpandLineBreaks(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? LowerAscii(text[i + 1]) : '\0';
        if (text[i] == '\\' && (next == 'r' || next == 'n')) {
            result += next == 'r' ? '\r' : '\n';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

}  // namespace

std::string TrimLanguageLine(const std::string& line)
{
    size_t end = line.size();
    while (end > 0 && static_cast<unsigned char>(line[end - 1]) <= 32)
        --end;
    size_t begin = 0;
    while (begin < end && static_cast<unsigned char>(line[begin]) <= 32)
        ++begin;
    return line.substr(begin, end - begin);
}

bool SelectLanguageBlock(const std::vector<std::string>& lines, const char* name, SameTextNoCase same,
                         std::vector<std::string>& selected)
{
    if (!name) return false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = TrimLanguageLine(lines[i]);
        if (!BeginsWithNoCase(line, kBeginLanguage)) continue;
        // The name from the 15th character on; a line of the keyword alone names the empty text.
        const std::string blockName = TrimLanguageLine(
            line.size() > kBeginLanguageLength ? line.substr(kBeginLanguageLength) : std::string());
        if (!same(blockName.c_str(), name)) continue;

        selected.clear();
        for (size_t j = i + 1; j < lines.size(); ++j) {
            const std::string text = TrimLanguageLine(lines[j]);
            if (BeginsWithNoCase(text, kEndLanguage)) break;
            if (text.empty() || BeginsWithNoCase(text, "//")) continue;
            selected.push_back(text);
        }
        return true;
    }
    return false;
}

bool FindLanguageText(const std::vector<std::string>& selected, const char* key, SameTextNoCase same,
                      std::string& text)
{
    if (!key) return false;
    for (size_t i = 0; i < selected.size(); ++i) {
        if (selected[i].empty() || !same(selected[i].c_str(), key)) continue;
        std::string joined;
        for (size_t j = i + 1; j < selected.size(); ++j) {
            const std::string& line = selected[j];
            if (LooksLikeKey(line)) break;
            if (!joined.empty()) joined += ' ';
            joined += line;
        }
        // Only the first occurrence of a key counts, even when its text is empty.
        const std::string expanded = ExpandLineBreaks(joined);
        if (expanded.empty()) return false;
        text = expanded;
        return true;
    }
    return false;
}

}  // namespace manager
