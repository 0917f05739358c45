// TxString: tables of cases for the position-based operations, then the small helpers.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "UTxStrings.h"

TEST(TxString, Find)
{
    struct Case {
        const char* text;
        const char* what;
        bool ignoreCase, backward;
        int start, expected;
    };
    const Case cases[] = {
        {"abcb", "b", false, false, 1, 2},    {"abcb", "b", false, false, 3, 4},
        {"abcb", "b", false, false, 5, 0},    {"abcb", "b", false, true, 1, 4},
        {"abcb", "b", false, true, 3, 2},     {"abcb", "b", false, true, 0, 4},
        {"abcb", "b", false, true, 99, 4},    {"abcb", "b", false, false, -5, 2},
        {"abcb", "cb", false, false, 1, 3},   {"abcb", "abcbx", false, false, 1, 0},
        {"abcb", "", false, false, 1, 0},     {"abcb", nullptr, false, false, 1, 0},
        {"", "a", false, false, 1, 0},        {"aBcB", "b", false, false, 1, 0},
        {"aBcB", "b", true, false, 1, 2},     {"aBcB", "Cb", true, true, 1, 3},
        {"abcabc", "abc", false, true, 1, 4}, {"abcabc", "abc", false, true, 3, 1},
    };
    for (const auto& c : cases) {
        const TxString s(c.text);
        EXPECT_EQ(s.Find(c.what, c.ignoreCase, c.backward, c.start), c.expected)
            << c.text << " / " << (c.what ? c.what : "(null)") << " start " << c.start
            << (c.backward ? " back" : "");
    }
    EXPECT_EQ(TxString("abcb").Find(TxString("cb")), 3);
}

TEST(TxString, Replace)
{
    struct Case {
        const char* text;
        const char* what;
        const char* with;
        bool all, ignoreCase, backward, result;
        const char* expected;
    };
    const Case cases[] = {
        {"aXa", "a", "aa", true, false, false, true, "aaXaa"},
        {"aXa", "a", "b", false, false, false, true, "bXa"},
        {"aXa", "a", "b", false, false, true, true, "aXb"},
        {"aXa", "a", "b", true, false, true, true, "bXb"},  // all forces a forward search
        {"aXa", "x", "y", false, false, false, false, "aXa"},
        {"aXa", "x", "y", false, true, false, true, "aya"},
        {"aaa", "a", "", true, false, false, true, ""},
        {"abab", "ab", nullptr, true, false, false, true, ""},
        {"abc", nullptr, "x", true, false, false, false, "abc"},
        {"abc", "", "x", true, false, false, false, "abc"},
        {"path/to/file", "/", "\\", true, false, false, true, "path\\to\\file"},
    };
    for (const auto& c : cases) {
        TxString s(c.text);
        EXPECT_EQ(s.Replace(c.what, c.with, c.all, c.ignoreCase, c.backward), c.result) << c.text;
        EXPECT_STREQ(s.GetText(), c.expected) << c.text;
    }
}

TEST(TxString, InsertDeleteSubStringSetLength)
{
    struct Case {
        const char* name;
        const char* text;
        void (*op)(TxString&);
        const char* expected;
    };
    const Case cases[] = {
        {"insert at 0", "ab", [](TxString& s) { s.Insert("X", 0); }, "ab"},
        {"insert at 1", "ab", [](TxString& s) { s.Insert("X", 1); }, "Xab"},
        {"insert at 2", "ab", [](TxString& s) { s.Insert("X", 2); }, "aXb"},
        {"insert at 3", "ab", [](TxString& s) { s.Insert("X", 3); }, "abX"},
        {"insert at 99", "ab", [](TxString& s) { s.Insert("X", 99); }, "abX"},
        {"insert into empty", "", [](TxString& s) { s.Insert("X", 5); }, "X"},
        {"insert into empty at 0", "", [](TxString& s) { s.Insert("X", 0); }, "X"},
        {"insert null", "ab", [](TxString& s) { s.Insert(static_cast<const char*>(nullptr), 1); }, "ab"},
        {"insert string into empty at 0", "", [](TxString& s) { s.Insert(TxString("X"), 0); }, ""},
        {"insert string at 2", "ab", [](TxString& s) { s.Insert(TxString("XY"), 2); }, "aXYb"},
        {"insert itself", "ab", [](TxString& s) { s.Insert(s, 2); }, "aabb"},
        {"delete 100 at 2", "abcdef", [](TxString& s) { s.Delete(2, 100); }, "a"},
        {"delete to the end", "abcdef", [](TxString& s) { s.Delete(3, INT_MAX); }, "ab"},
        {"delete 1 at 7", "abcdef", [](TxString& s) { s.Delete(7, 1); }, "abcdef"},
        {"delete 2 at 2", "abcdef", [](TxString& s) { s.Delete(2, 2); }, "adef"},
        {"delete at 0", "abcdef", [](TxString& s) { s.Delete(0, 2); }, "abcdef"},
        {"delete count -1", "abcdef", [](TxString& s) { s.Delete(2, -1); }, "abcdef"},
        {"delete all", "abc", [](TxString& s) { s.Delete(1, 3); }, ""},
        {"set length 5", "ab", [](TxString& s) { s.SetLength(5); }, "ab   "},
        {"set length 1", "ab", [](TxString& s) { s.SetLength(1); }, "a"},
        {"set length 0", "ab", [](TxString& s) { s.SetLength(0); }, ""},
        {"set length -3", "ab", [](TxString& s) { s.SetLength(-3); }, ""},
        {"substring of itself", "abcdef", [](TxString& s) { s.SubString(2, 3, s); }, "bcd"},
        {"append itself", "ab", [](TxString& s) { s.Append(s); }, "abab"},
        {"append null", "ab", [](TxString& s) { s.Append(static_cast<const char*>(nullptr)); }, "ab"},
        {"assign null", "ab", [](TxString& s) { s.Assign(static_cast<const char*>(nullptr)); }, ""},
        {"assign own tail", "abc", [](TxString& s) { s.Assign(s.CharPtr(2)); }, "bc"},
    };
    for (const auto& c : cases) {
        TxString s(c.text);
        c.op(s);
        EXPECT_STREQ(s.GetText(), c.expected) << c.name;
        EXPECT_EQ(s.GetLength(), static_cast<int>(std::string(c.expected).size())) << c.name;
    }
}

TEST(TxString, SubString)
{
    struct Case {
        int pos, count;
        const char* expected;
    };
    const Case cases[] = {
        {1, 3, "abc"}, {2, 2, "bc"}, {5, 10, "ef"}, {3, INT_MAX, "cdef"}, {6, 1, "f"},
        {7, 1, ""},    {0, 2, ""},   {-1, 2, ""},   {2, 0, ""},           {2, -4, ""},
    };
    const TxString s("abcdef");
    for (const auto& c : cases) {
        TxString result("previous");
        s.SubString(c.pos, c.count, result);
        EXPECT_STREQ(result.GetText(), c.expected) << c.pos << "," << c.count;
    }
}

TEST(TxString, EmptyStringsGiveEmptyTextNeverNull)
{
    TxString s;
    EXPECT_STREQ(s.GetText(), "");
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_STREQ(s.CharPtr(1), "");
    s.Assign("abc");
    s.Delete(1, 3);
    EXPECT_STREQ(s.GetText(), "");
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_TRUE(TxString("").Equals(static_cast<const char*>(nullptr)));
    EXPECT_TRUE(TxString().Equals(TxString("")));
    EXPECT_FALSE(TxString("a").Equals(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(TxString("ab").Equals("abc"));
    EXPECT_TRUE(TxString("ab").Equals("ab"));

    TxString moved(std::move(s));
    s = TxString("again");
    EXPECT_STREQ(s.GetText(), "again");
}

TEST(TxString, CharPtrCountsOutOfRangeAsFirst)
{
    TxString s("abc");
    EXPECT_STREQ(s.CharPtr(2), "bc");
    EXPECT_STREQ(s.CharPtr(0), "abc");
    EXPECT_STREQ(s.CharPtr(4), "abc");
    *s.CharPtr(3) = 'Z';
    EXPECT_STREQ(s.GetText(), "abZ");
}

TEST(TxString, CompareNoCase)
{
    struct Case {
        const char* a;
        const char* b;
        int sign;  // -2 marks the empty-string rule: exactly -2
    };
    const Case cases[] = {
        {"ABC", "abc", 0}, {"abc", "abd", -1}, {"abd", "ABC", 1}, {"a", "", 1},
        {"", "a", -2},     {"", "", -2},       {"ab", "abc", -1},
    };
    for (const auto& c : cases) {
        const int r1 = TxString(c.a).CompareNoCase(c.b);
        const int r2 = TxString(c.a).CompareNoCase(TxString(c.b));
        for (int r : {r1, r2}) {
            if (c.sign == -2) {
                EXPECT_EQ(r, -2) << c.a << " vs " << c.b;
            } else {
                EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
            }
        }
    }
}

TEST(TxString, PathHelpersAndTrim)
{
    struct Case {
        const char* name;
        const char* text;
        void (*op)(TxString&);
        const char* expected;
    };
    const Case cases[] = {
        {"add backslash", "C:\\dir", [](TxString& s) { s.AddTrailingBackslash(); }, "C:\\dir\\"},
        {"add backslash, has one", "C:\\dir\\", [](TxString& s) { s.AddTrailingBackslash(); }, "C:\\dir\\"},
        {"add backslash, has slash", "C:/dir/", [](TxString& s) { s.AddTrailingBackslash(); }, "C:/dir/"},
        {"add backslash to empty", "", [](TxString& s) { s.AddTrailingBackslash(); }, "\\"},
        {"remove backslash", "C:\\dir\\", [](TxString& s) { s.RemoveTrailingBackslash(); }, "C:\\dir"},
        {"remove only one", "C:\\dir\\\\", [](TxString& s) { s.RemoveTrailingBackslash(); }, "C:\\dir\\"},
        {"slash stays", "C:/dir/", [](TxString& s) { s.RemoveTrailingBackslash(); }, "C:/dir/"},
        {"parent of a file", "", [](TxString& s) { s.AssignParentPath("C:\\dir\\sub\\file.jpg"); },
         "C:\\dir\\sub"},
        {"parent, slashes", "", [](TxString& s) { s.AssignParentPath("C:/dir/file.jpg"); }, "C:/dir"},
        {"parent, backslash wins", "", [](TxString& s) { s.AssignParentPath("C:\\a/b\\c/d"); }, "C:\\a/b"},
        {"parent, no separator", "", [](TxString& s) { s.AssignParentPath("file.jpg"); }, "file.jpg"},
        {"parent of itself", "C:\\a\\b", [](TxString& s) { s.AssignParentPath(s.GetText()); }, "C:\\a"},
        {"trim", " \t\r\n ab c \x01\n", [](TxString& s) { s.Trim(); }, "ab c"},
        {"trim all blank", " \t ", [](TxString& s) { s.Trim(); }, ""},
        {"lower", "AbC", [](TxString& s) { s.ToLower(); }, "abc"},
        {"upper", "AbC", [](TxString& s) { s.ToUpper(); }, "ABC"},
    };
    for (const auto& c : cases) {
        TxString s(c.text);
        c.op(s);
        EXPECT_STREQ(s.GetText(), c.expected) << c.name;
    }
    TxString s("a.b.c");
    EXPECT_TRUE(s.ReplaceChar('.', '_'));
    EXPECT_STREQ(s.GetText(), "a_b_c");
    EXPECT_FALSE(s.ReplaceChar('.', '_'));
}

TEST(TxString, ByteOrder)
{
    EXPECT_TRUE(TxString("B").IsLess(TxString("a")));  // bytes, not letters
    EXPECT_FALSE(TxString("a").IsLess(TxString("B")));
    EXPECT_TRUE(TxString("a").IsGreater(TxString("B")));
    EXPECT_FALSE(TxString("a").IsLess(TxString("")));
    EXPECT_TRUE(TxString("").IsLess(TxString("a")));
    EXPECT_TRUE(TxString("\xE4").IsGreater(TxString("z")));  // unsigned bytes
}
