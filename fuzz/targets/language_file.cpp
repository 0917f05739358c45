// Any bytes as a language file: the first line names the language to select, the rest is the file.
// Its lines are split as the text file reader splits them (whole and fed in small pieces: the same
// lines), the named block is selected and the text of every key of the Manager's table looked up.
// A text that may stand in for a default format (the same conversions) is then formatted through
// the real formatter with harmless arguments of the default's kinds: it must stay within its
// buffer, and its length within the text's length plus one field of the widest width the check
// allows per conversion.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "LanguageFileText.h"
#include "TxLineSplitter.h"
#include "UiFormat.h"
#include "UiFormatCheck.h"

namespace {

// As TxTextFile cuts lines.
constexpr size_t kMaxLine = 65535;
constexpr size_t kMaxNameLength = 64;

struct ManagerText {
    const char* name;
    const char* english;
};

const ManagerText kManagerTexts[] = {
#define KV_MANAGER_TEXT(key, english) {#key, english},
#include "UmanagTextList.inc"
#undef KV_MANAGER_TEXT
};

void Check(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "language_file: %s\n", what);
    std::abort();
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameAscii(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (Lower(*a) != Lower(*b)) return false;
    return *a == *b;
}

std::vector<std::string> Split(const std::string& bytes, size_t maxLine, size_t piece)
{
    TxLineSplitter splitter(maxLine);
    std::vector<std::string> lines;
    for (size_t at = 0; at < bytes.size(); at += piece) {
        // Each piece in a block of exactly its size, so a read past it is a report.
        const size_t n = std::min(piece, bytes.size() - at);
        const std::unique_ptr<char[]> copy(new char[n]);
        std::memcpy(copy.get(), bytes.data() + at, n);
        splitter.Feed(copy.get(), n, lines);
    }
    splitter.Finish(lines);
    return lines;
}

void CheckLines(const std::vector<std::string>& lines, const std::string& bytes, size_t maxLine)
{
    Check(lines.size() <= bytes.size() + 1, "more lines than bytes");
    for (const std::string& line : lines) {
        Check(line.size() <= maxLine, "a line longer than the cut");
        Check(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos, "a line end inside a line");
    }
}

size_t Conversions(const std::string& signature)
{
    if (signature.empty()) return 0;
    size_t count = 1;
    for (char c : signature)
        count += c == ' ';
    return count;
}

// The text formatted as the default would be, with arguments of its kinds.
std::string FormatLike(const std::string& text, const std::string& signature)
{
    const char* format = text.c_str();
    if (signature == "d d") return ui::Format(format, 1, 7);
    if (signature == "x") return ui::Format(format, 0x804020u);
    if (signature == "s d s s") return ui::Format(format, "Arial", 12, "bold", "ANSI characters.");
    if (signature == "s") return ui::Format(format, "C:\\Photos\\Holiday 2004");
    if (signature == "s s")
        return ui::Format(format, "C:\\Kestrova\\KvImages.dat", "C:\\Kestrova\\KvImages.bak");
    Check(false, "a default format of a kind this target does not format yet");
    return std::string();
}

constexpr size_t kLongestArgument = 32;

void CheckText(const std::string& text, const ManagerText& entry)
{
    Check(!text.empty() && text.find('\0') == std::string::npos, "an empty text or one with a zero byte");
    if (!std::strchr(entry.english, '%')) return;
    if (!ui::SameConversions(text.c_str(), entry.english)) return;
    std::string signature;
    Check(ui::ConversionSignature(entry.english, signature), "a default the check refuses");
    const std::string formatted = FormatLike(text, signature);
    size_t widest = 1;
    for (int i = 0; i < ui::kMaxFormatFieldDigits; ++i)
        widest *= 10;
    // Each conversion gives at most the widest field, a sign or "0x", or its whole argument.
    const size_t bound = text.size() + Conversions(signature) * (widest + 2 + kLongestArgument);
    Check(formatted.size() <= bound, "a formatted text longer than its bound");
}

}  // namespace

using namespace manager;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t newline = input.find('\n');
    const std::string name = input.substr(0, std::min(newline, kMaxNameLength));
    const std::string file = newline == std::string::npos ? std::string() : input.substr(newline + 1);

    const std::vector<std::string> lines = Split(file, kMaxLine, file.size() + 1);
    CheckLines(lines, file, kMaxLine);
    Check(Split(file, kMaxLine, 3) == lines, "the lines depend on how the bytes came in");
    // The cut of over-long lines, on short ones.
    CheckLines(Split(file, 16, 5), file, 16);

    std::vector<std::string> selected;
    if (!SelectLanguageBlock(lines, name.c_str(), &SameAscii, selected)) {
        Check(selected.empty(), "lines selected from no block");
        return 0;
    }
    for (const std::string& line : selected) {
        Check(!line.empty() && line == TrimLanguageLine(line), "an empty or untrimmed line selected");
        Check(line.compare(0, 2, "//") != 0, "a comment line selected");
    }
    for (const ManagerText& entry : kManagerTexts) {
        std::string text;
        if (FindLanguageText(selected, entry.name, &SameAscii, text)) CheckText(text, entry);
    }
    return 0;
}
