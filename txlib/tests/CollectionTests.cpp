// TxCollection, TxSortedCollection and TxStringCollection.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TxTestHelpers.h"
#include "UTxCollections.h"

namespace {

// Counts its live instances, so a test can see what a collection freed.
struct Counted : TxObject {
    explicit Counted(int key = 0) : m_iKey(key) { ++s_iLive; }
    ~Counted() override { --s_iLive; }
    int m_iKey;
    static int s_iLive;
};
int Counted::s_iLive = 0;

struct Collection : TxCollection {
    using TxCollection::TxCollection;
    int Limit() const { return m_iLimit; }
};

struct ByKey : TxSortedCollection {
    using TxSortedCollection::TxSortedCollection;
    int Compare(const void* a, const void* b) const override
    {
        const int ka = static_cast<const Counted*>(a)->m_iKey;
        const int kb = static_cast<const Counted*>(b)->m_iKey;
        return (ka > kb) - (ka < kb);
    }
};

}  // namespace

TEST(TxCollection, LimitZeroDeltaZeroRefusesTheFirstInsert)
{
    Collection c(0, 0);
    Counted item;
    EXPECT_EQ(ThrownText([&] { c.Insert(&item); }), "Collection size overflow.");
    EXPECT_EQ(c.GetCount(), 0);
}

TEST(TxCollection, GrowsByDelta)
{
    Collection c(2, 3);
    EXPECT_EQ(c.Limit(), 2);
    for (int i = 0; i < 2; ++i)
        c.Insert(new Counted(i));
    EXPECT_EQ(c.Limit(), 2);
    c.Insert(new Counted(2));
    EXPECT_EQ(c.Limit(), 5);
    c.SetLimit(1);  // never below the count
    EXPECT_EQ(c.Limit(), 3);
    c.SetLimit(TxCollection::kMaxLimit + 5);
    EXPECT_EQ(c.Limit(), TxCollection::kMaxLimit);
}

TEST(TxCollection, FullAtTheCapIsASizeOverflow)
{
    Collection c(TxCollection::kMaxLimit - 2, 100);
    for (int i = 0; i < TxCollection::kMaxLimit; ++i)
        c.Insert(nullptr);
    EXPECT_EQ(c.Limit(), TxCollection::kMaxLimit);
    EXPECT_EQ(ThrownText([&] { c.Insert(nullptr); }), "Collection size overflow.");
    EXPECT_EQ(c.GetCount(), TxCollection::kMaxLimit);
}

TEST(TxCollection, IndexErrors)
{
    Collection c(4, 4);
    Counted a, b;
    c.Insert(&a);
    c.Insert(&b);
    const char* const kIndexError = "Collection index out of range.";
    EXPECT_EQ(ThrownText([&] { c.At(-1); }), kIndexError);
    EXPECT_EQ(ThrownText([&] { c.At(2); }), kIndexError);
    EXPECT_EQ(ThrownText([&] { c.AtDelete(2); }), kIndexError);
    EXPECT_EQ(ThrownText([&] { c.AtInsert(3, &a); }), kIndexError);
    EXPECT_EQ(ThrownText([&] { c.AtInsert(-1, &a); }), kIndexError);
    Counted stranger;
    EXPECT_EQ(ThrownText([&] { c.Remove(&stranger); }), kIndexError);
    EXPECT_EQ(c.GetCount(), 2);
    EXPECT_EQ(c.At(0), &a);
    EXPECT_EQ(c.At(1), &b);
    c.RemoveAll();  // detaches: a and b live on the stack
}

TEST(TxCollection, InsertDeleteRemoveKeepOrder)
{
    Collection c(1, 1);
    Counted a, b, x, d;
    c.Insert(&a);
    c.Insert(&b);
    c.AtInsert(1, &x);
    c.AtInsert(3, &d);
    ASSERT_EQ(c.GetCount(), 4);
    EXPECT_EQ(c.At(0), &a);
    EXPECT_EQ(c.At(1), &x);
    EXPECT_EQ(c.At(2), &b);
    EXPECT_EQ(c.At(3), &d);
    c.AtDelete(0);
    c.Remove(&b);
    ASSERT_EQ(c.GetCount(), 2);
    EXPECT_EQ(c.At(0), &x);
    EXPECT_EQ(c.At(1), &d);
    EXPECT_EQ(c.IndexOf(&d), 1);
    EXPECT_EQ(c.IndexOf(&a), -1);
    c.RemoveAll();
}

TEST(TxCollection, OwnsAndFreesItsItems)
{
    {
        Collection c(0, 4);
        for (int i = 0; i < 10; ++i)
            c.Insert(new Counted(i));
        EXPECT_EQ(Counted::s_iLive, 10);
        c.FreeAll();
        EXPECT_EQ(Counted::s_iLive, 0);
        EXPECT_EQ(c.GetCount(), 0);
        for (int i = 0; i < 3; ++i)
            c.Insert(new Counted(i));
    }
    EXPECT_EQ(Counted::s_iLive, 0);
}

TEST(TxSortedCollection, WithoutDuplicatesKeepsTheFirst)
{
    ByKey c(false, 32, 64);
    auto* first = new Counted(5);
    Counted second(5);
    EXPECT_TRUE(c.Insert(new Counted(9)));
    EXPECT_TRUE(c.Insert(first));
    EXPECT_TRUE(c.Insert(new Counted(1)));
    EXPECT_FALSE(c.Insert(&second));
    ASSERT_EQ(c.GetCount(), 3);
    EXPECT_EQ(static_cast<Counted*>(c.At(0))->m_iKey, 1);
    EXPECT_EQ(c.At(1), first);
    EXPECT_EQ(static_cast<Counted*>(c.At(2))->m_iKey, 9);

    int index = -1;
    Counted key(7);
    EXPECT_FALSE(c.Search(&key, index));
    EXPECT_EQ(index, 2);
    EXPECT_TRUE(c.Search(&second, index));
    EXPECT_EQ(index, 1);
}

TEST(TxSortedCollection, RemoveTakesOnlyTheVeryItem)
{
    ByKey c(false, 32, 64);
    auto* stored = new Counted(5);
    c.Insert(stored);
    Counted equalKey(5);
    EXPECT_EQ(ThrownText([&] { c.Remove(&equalKey); }), "Collection index out of range.");
    ASSERT_EQ(c.GetCount(), 1);
    EXPECT_EQ(c.At(0), stored);
    c.Remove(stored);
    EXPECT_EQ(c.GetCount(), 0);
    delete stored;
}

TEST(TxSortedCollection, DuplicatesGoBeforeTheirEquals)
{
    ByKey c(true, 32, 64);
    auto* a = new Counted(3);
    auto* b = new Counted(3);
    auto* cc = new Counted(3);
    c.Insert(new Counted(1));
    c.Insert(a);
    c.Insert(b);
    c.Insert(cc);
    c.Insert(new Counted(4));
    ASSERT_EQ(c.GetCount(), 5);
    EXPECT_EQ(c.At(1), cc);
    EXPECT_EQ(c.At(2), b);
    EXPECT_EQ(c.At(3), a);
    EXPECT_EQ(c.IndexOf(b), 2);
    EXPECT_EQ(c.IndexOf(a), 3);
    Counted stranger(3);
    EXPECT_EQ(c.IndexOf(&stranger), -1);
    c.Remove(b);
    EXPECT_EQ(c.IndexOf(a), 2);
    delete b;
}

TEST(TxStringCollection, AddText)
{
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"a\r\nb\n\rc\rd\n", {"a", "b", "c", "d"}},
        {"\n\n", {"", ""}},
        {"one", {"one"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"", {}},
        {nullptr, {}},
    };
    for (const auto& c : cases) {
        TxStringCollection lines(0, 8);
        lines.AddText(c.text);
        std::vector<std::string> got;
        for (int i = 0; i < lines.GetCount(); ++i)
            got.push_back(lines.StringAt(i)->GetText());
        EXPECT_EQ(got, c.lines) << (c.text ? c.text : "(null)");
    }
}
