// Splitting a text into lines on its bytes alone, fed in pieces of any size: what TxTextFile reads
// from a file, and what the native fuzz build feeds any bytes through. No file, window or log call.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// CR LF, LF CR, CR and LF each end a line; two equal line ends in a row (CR CR, LF LF) also end an
// empty line. A line of `maxLine` characters is cut there and the rest starts a new line; the line
// end right after such a cut belongs to the cut line. Each line is kept up to its first zero byte.
class TxLineSplitter {
public:
    explicit TxLineSplitter(size_t maxLine) : m_MaxLine(maxLine) {}

    // Appends to `lines` the lines these bytes complete.
    void Feed(const char* bytes, size_t size, std::vector<std::string>& lines);
    // Appends the last line when the text ends without a line end.
    void Finish(std::vector<std::string>& lines);

private:
    void AddPending(std::vector<std::string>& lines);
    static void AddLine(std::vector<std::string>& lines, const std::string& line);

    size_t m_MaxLine;
    std::string m_Line;  // characters of the pending line
    int m_Run = 0;       // line-end characters seen since the last line ended
    char m_Previous = 0;
    // A line cut at the maximum length has been added already; the line end that follows belongs
    // to it and must not add an empty line of its own.
    bool m_CutPending = false;
};
