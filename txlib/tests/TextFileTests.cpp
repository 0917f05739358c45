// TxTextFile line splitting on files holding every mix of line ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KvTestSupport.h"
#include "UTxDiskApi.h"

namespace {

std::vector<std::string> ReadLinesOf(const std::string& path)
{
    TxTextFile file(path.c_str(), true);
    TxStringCollection lines(0, 64);
    file.ReadLines(&lines);
    std::vector<std::string> result;
    for (int i = 0; i < lines.GetCount(); ++i)
        result.push_back(lines.StringAt(i)->GetText());
    return result;
}

std::string Repeat(char c, size_t n)
{
    return std::string(n, c);
}

}  // namespace

TEST(TxTextFile, LineEnds)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"CR LF", "a\r\nb\r\nc\r\n", {"a", "b", "c"}},
        {"LF", "a\nb\nc\n", {"a", "b", "c"}},
        {"CR", "a\rb\rc\r", {"a", "b", "c"}},
        {"LF CR", "a\n\rb\n\rc", {"a", "b", "c"}},
        {"mixed", "a\r\nb\nc\rd\n\re", {"a", "b", "c", "d", "e"}},
        {"two LF between lines", "a\n\nb", {"a", "", "b"}},
        {"two CR between lines", "a\r\rb", {"a", "", "b"}},
        {"empty CR LF line", "a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"three LF", "a\n\n\nb", {"a", "", "", "b"}},
        {"leading line end", "\nx", {"", "x"}},
        {"last line without end", "one\r\ntwo", {"one", "two"}},
        {"ends with two LF", "a\n\n", {"a", ""}},
        {"empty file", "", {}},
        {"line over a buffer boundary", Repeat('m', 10000) + "\nn", {Repeat('m', 10000), "n"}},
        {"CR LF over a buffer boundary", Repeat('k', 8191) + "\r\nz", {Repeat('k', 8191), "z"}},
        {"two LF over a buffer boundary", Repeat('k', 8191) + "\n\nz", {Repeat('k', 8191), "", "z"}},
        {"LF CR LF over a buffer boundary", Repeat('k', 8190) + "\n\r\nz", {Repeat('k', 8190), "", "z"}},
        {"a zero byte ends a line's text", std::string("ab\0cd\nef", 8), {"ab", "ef"}},
        {"line of 70000", Repeat('q', 70000) + "\r\n", {Repeat('q', 65535), Repeat('q', 4465)}},
        {"line of 65536", Repeat('q', 65536), {Repeat('q', 65535), "q"}},
        // The line end after a cut line ends that line; it adds no empty line of its own.
        {"line of exactly 65535", Repeat('r', 65535) + "\r\nz", {Repeat('r', 65535), "z"}},
        {"line of 65535, two LF", Repeat('r', 65535) + "\n\nz", {Repeat('r', 65535), "", "z"}},
        {"bytes above 127 and tabs", "\xE4\t\xF6\r\n", {"\xE4\t\xF6"}},
    };
    testsupport::TempFolder folder("text");
    int i = 0;
    for (const auto& c : cases) {
        const std::string path = folder / ("case" + std::to_string(i++) + ".txt");
        ASSERT_TRUE(testsupport::WriteFileBytes(path, c.bytes));
        const auto lines = ReadLinesOf(path);
        ASSERT_EQ(lines.size(), c.lines.size()) << c.name;
        for (size_t k = 0; k < lines.size(); ++k)
            EXPECT_EQ(lines[k], c.lines[k]) << c.name << " line " << k;
    }
}

TEST(TxTextFile, ReadsAgainFromTheStartIntoAnyCollection)
{
    testsupport::TempFolder folder("text");
    const std::string path = folder / "twice.txt";
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "x\ny\n"));
    TxTextFile file(path.c_str(), true);
    TxCollection plain(0, 4);
    file.ReadLines(&plain);
    file.ReadLines(&plain);
    ASSERT_EQ(plain.GetCount(), 4);
    EXPECT_STREQ(static_cast<TxString*>(plain.At(2))->GetText(), "x");
}

TEST(TxTextFile, WritableOpenEmptiesTheFile)
{
    testsupport::TempFolder folder("text");
    const std::string path = folder / "emptied.txt";
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "old\r\n"));
    {
        TxTextFile file(path.c_str(), false);
        EXPECT_EQ(testsupport::ReadFileBytes(path), "");
        file.File()->Write("new\r\n", 5);
    }
    EXPECT_EQ(testsupport::ReadFileBytes(path), "new\r\n");
}

TEST(TxTextFile, MissingFileThrows)
{
    testsupport::TempFolder folder("text");
    EXPECT_THROW(TxTextFile file((folder / "missing.txt").c_str(), true), ExNormal);
}
