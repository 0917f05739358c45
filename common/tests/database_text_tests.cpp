// The quick order of key texts against the platform's case-insensitive comparison it stands in for.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "DbText.h"
#include "UDatabase.h"

namespace {

// The comparison the collections were built on, asked directly.
int PlatformOrder(const std::string& a, const std::string& b)
{
    return TxString(a.c_str()).CompareNoCase(b.c_str());
}

// A small reproducible generator, so a failure names a case that comes back.
class Random {
public:
    explicit Random(uint32_t seed) : m_state(seed) {}
    uint32_t Next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    size_t Below(size_t n) { return Next() % n; }

private:
    uint32_t m_state;
};

// Characters that sort specially or near the ASCII letters and digits: word-sort punctuation ('-',
// '\''), other punctuation, space, control characters that sort as nothing, accented letters that
// share a letter's primary weight, ligatures that expand, and a few bytes of no letter at all.
const std::string& Alphabet()
{
    static const std::string alphabet = [] {
        std::string s = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
        s += " !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
        s += "\x01\x09\x1F\x7F";
        s += "\x80\x8A\x8C\x96\x97\x9A\x9C\x9F\xA0\xAD\xB2\xB9\xBC\xC0\xC5\xC6\xC9\xD0\xD6\xD8\xDE\xDF\xE0"
             "\xE5\xE6\xE9\xF0\xF1\xF6\xF8\xFE\xFF";
        return s;
    }();
    return alphabet;
}

struct Tally {
    int pairs = 0;
    int decided = 0;
};

// Checks both orders of one pair; records how often the quick order decided without the platform.
void ExpectSameOrder(const std::string& a, const std::string& b, Tally& tally)
{
    for (int turn = 0; turn < 2; ++turn) {
        const std::string& x = turn == 0 ? a : b;
        const std::string& y = turn == 0 ? b : a;
        if (x.empty()) continue;  // an empty own text is -2 before either comparison
        const TxString tx(x.c_str());
        const TxString ty(y.c_str());
        ++tally.pairs;
        if (DbText::QuickOrder(x.c_str(), y.c_str()) != DbText::kUndecided) ++tally.decided;
        const int expected = PlatformOrder(x, y);
        const int actual = DbText::CompareKeyText(tx, ty);
        if (actual != expected) {
            ADD_FAILURE() << "\"" << x << "\" against \"" << y << "\": quick order " << actual
                          << ", platform " << expected;
        }
    }
}

std::string RandomText(Random& random, size_t maxLength)
{
    const std::string& alphabet = Alphabet();
    std::string text(random.Below(maxLength + 1), ' ');
    for (char& c : text)
        c = alphabet[random.Below(alphabet.size())];
    return text;
}

// A second text close to the first, as neighbouring names are: one edit, a case change, a cut.
std::string Neighbour(Random& random, const std::string& text)
{
    const std::string& alphabet = Alphabet();
    std::string other = text;
    const size_t at = random.Below(other.size() + 1);
    switch (random.Below(6)) {
    case 0:
        if (at < other.size()) other[at] = alphabet[random.Below(alphabet.size())];
        break;
    case 1:
        other.insert(at, 1, alphabet[random.Below(alphabet.size())]);
        break;
    case 2:
        if (at < other.size()) other.erase(at, 1);
        break;
    case 3:
        other.resize(at);
        break;
    case 4:
        for (char& c : other)
            if (random.Below(3) == 0 && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) c ^= 0x20;
        break;
    default:
        other += RandomText(random, 4);
        break;
    }
    return other;
}

TEST(DatabaseText, QuickOrderMatchesThePlatformAtEveryPairOfCharacters)
{
    // Every pair of alphabet characters as the first difference, behind prefixes that are equal,
    // equal but for ASCII case, or hold characters the sort ignores or expands, and before tails
    // that could change the order if the first difference did not decide it.
    const std::vector<std::string> prefixes = {"", "a", "IMG_", "img_", "x-", "o'", "\xC6", "ss", "\x01"};
    const std::vector<std::string> tails = {"", "a", "-", "'z", "0", " ", "\xE9", "-a", "Z9"};
    const std::string& alphabet = Alphabet();
    Random random(7);
    Tally tally;
    for (char c1 : alphabet) {
        for (char c2 : alphabet) {
            const std::string& prefix = prefixes[random.Below(prefixes.size())];
            std::string other = prefix;
            for (char& c : other)
                if (random.Below(2) && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            ExpectSameOrder(prefix + c1 + tails[random.Below(tails.size())],
                            other + c2 + tails[random.Below(tails.size())], tally);
        }
    }
    std::printf("%d ordered pairs, %d decided without the platform\n", tally.pairs, tally.decided);
}

TEST(DatabaseText, QuickOrderMatchesThePlatformOnRandomNeighbours)
{
    Random random(2024);
    Tally tally;
    for (int i = 0; i < 30000; ++i) {
        const std::string a = RandomText(random, 12);
        ExpectSameOrder(a, Neighbour(random, a), tally);
    }
    // Names as cameras and users write them, where the quick order is meant to decide.
    static const char* const kParts[] = {"IMG_", "img_", "DSC",  "Holiday ", "holiday-", "Anne's ",
                                         "_",    ".jpg", ".JPG", ".jpeg",    " (2)",     "-1",
                                         "0",    "9",    "Z",    "z",        ""};
    for (int i = 0; i < 20000; ++i) {
        std::string a, b;
        for (int k = 0; k < 4; ++k) {
            const char* part = kParts[random.Below(std::size(kParts))];
            a += part;
            b += random.Below(3) ? part : kParts[random.Below(std::size(kParts))];
        }
        ExpectSameOrder(a, b, tally);
    }
    std::printf("%d ordered pairs, %d decided without the platform\n", tally.pairs, tally.decided);
}

TEST(DatabaseText, EmptyOwnTextOrdersBeforeEverything)
{
    const TxString empty;
    EXPECT_EQ(DbText::CompareKeyText(empty, empty), -2);
    EXPECT_EQ(DbText::CompareKeyText(empty, TxString("a")), -2);
    EXPECT_EQ(DbText::CompareKeyText(TxString("a"), empty), PlatformOrder("a", ""));
}

TEST(DatabaseText, QuickOrderDecidesTheNamesOfOneFolder)
{
    if (!DbText::QuickOrderApplies())
        GTEST_SKIP() << "the user's sort order here is not one the quick order serves (locale "
                     << ::GetUserDefaultLCID() << ")";
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"IMG_00000001.jpg", "IMG_00000002.jpg"},
        {"C:\\Photos\\Album 001", "C:\\Photos\\album 002"},
        {"DSC0009.JPG", "dsc000A.jpg"},
        {"Holiday.jpg", "HOLIDAY.JPG"},
    };
    for (const auto& [a, b] : cases) {
        EXPECT_NE(DbText::QuickOrder(a, b), DbText::kUndecided) << a << " " << b;
        EXPECT_EQ(DbText::QuickOrder(a, b), PlatformOrder(a, b)) << a << " " << b;
    }
    // Where the word sort or the tail may matter, the platform is asked.
    EXPECT_EQ(DbText::QuickOrder("co-op", "coop"), DbText::kUndecided);
    EXPECT_EQ(DbText::QuickOrder("IMG_1.jpg", "IMG_10.jpg"), DbText::kUndecided);
    EXPECT_EQ(DbText::QuickOrder("abc", "abcd"), DbText::kUndecided);
}

// A folder's images put in at once must end in the order, and with the refusals, of one insert
// after another: names the quick order decides, names it leaves to the platform (word-sort
// punctuation, prefixes), and repeats equal but for case or ignorable characters.
TEST(DatabaseText, FolderInsertOrdersAsOneInsertAfterAnother)
{
    Random random(99);
    const std::vector<std::vector<const char*>> partSets = {
        {"IMG_", "img_", "a", "B", "7", "z", "Q"},
        {"-", "'", ".", "_", " ", "a", "A", "1", "\xE9", "\x01", ""},
    };
    for (const auto& parts : partSets) {
        for (int round = 0; round < 20; ++round) {
            std::vector<std::string> names;
            const size_t count = 8 + random.Below(60);
            for (size_t i = 0; i < count; ++i) {
                std::string name;
                for (size_t k = 0, n = 1 + random.Below(5); k < n; ++k)
                    name += parts[random.Below(parts.size())];
                names.push_back(name + ".jpg");
            }
            auto make = [](const std::string& name) {
                auto image = std::make_unique<CImageFile>();
                image->FolderPath.Assign("C:\\Photos\\Folder");
                image->FileName.Assign(name.c_str());
                return image;
            };
            CFileCollection one, bulk;
            for (const std::string& name : names) {
                auto image = make(name);
                if (one.Insert(image.get())) image.release();
            }
            std::vector<std::unique_ptr<CImageFile>> images;
            for (const std::string& name : names)
                images.push_back(make(name));
            bulk.InsertFolderImages(images);
            ASSERT_EQ(bulk.GetCount(), one.GetCount());
            for (int i = 0; i < one.GetCount(); ++i)
                ASSERT_STREQ(bulk.FileAt(i)->FileName.GetText(), one.FileAt(i)->FileName.GetText()) << i;
            size_t refused = 0;
            for (const auto& image : images)
                refused += image ? 1 : 0;
            EXPECT_EQ(refused, names.size() - static_cast<size_t>(one.GetCount()));
        }
    }
}

}  // namespace
