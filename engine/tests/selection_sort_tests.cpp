// The byte order of the keys and the candidate order of CFileSortCollection.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "UFileSort.h"

namespace {

struct OrderCase {
    const char* a;
    const char* b;
    bool less;
    bool greater;
};

const OrderCase kOrderCases[] = {
    {"", "", false, false},        {"", "0", true, false},
    {"0", "", false, true},        {"0001", "0001", false, false},
    {"0001", "0002", true, false}, {"0002", "0001", false, true},
    {"000", "0001", true, false},  // a proper beginning is the smaller
    {"0001", "000", false, true},  {"10000123", "99990123", true, false},  // bytes, not numbers
    {"B", "a", true, false},       {"\xE4", "z", false, true},             // unsigned bytes
};

TEST(SelectionSort, KeysCompareAsUnsignedBytes)
{
    for (const OrderCase& c : kOrderCases) {
        const TxString a(c.a), b(c.b);
        EXPECT_EQ(a.IsLess(b), c.less) << '"' << c.a << "\" < \"" << c.b << '"';
        EXPECT_EQ(a.IsGreater(b), c.greater) << '"' << c.a << "\" > \"" << c.b << '"';
    }
}

std::unique_ptr<CFileSortItem> Item(CImageFile* image, const char* key)
{
    auto item = std::make_unique<CFileSortItem>(image);
    item->m_sKey.Assign(key);
    return item;
}

std::vector<CImageFile*> Order(const CFileSortCollection& sorted)
{
    std::vector<CImageFile*> order;
    for (int i = 0; i < sorted.GetCount(); ++i)
        order.push_back(sorted.ItemAt(i)->m_pImage);
    return order;
}

TEST(SelectionSort, EqualKeysPutTheLaterImageFirst)
{
    CImageFile images[4];
    CFileSortCollection sorted;
    const char* keys[] = {"00011234", "00001234", "00011234", "00011234"};
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(sorted.Insert(Item(&images[i], keys[i]).release()));
    EXPECT_EQ(Order(sorted), (std::vector<CImageFile*>{&images[1], &images[3], &images[2], &images[0]}));
}

TEST(SelectionSort, InsertFirstGivesTheOrderOfInsertingOneByOne)
{
    // Few distinct keys, so that many are equal, and keys that are beginnings of others.
    std::mt19937 generator(7);
    std::vector<CImageFile> images(3000);
    std::vector<CSortCandidate> candidates;
    CFileSortCollection oneByOne;
    for (size_t i = 0; i < images.size(); ++i) {
        std::string key = std::to_string(generator() % 40);
        if (generator() % 3 == 0) key += std::to_string(generator() % 4);
        if (generator() % 50 == 0) key += "\xE4";  // bytes above 127 order as unsigned
        ASSERT_TRUE(oneByOne.Insert(Item(&images[i], key.c_str()).release()));
        CSortCandidate candidate{&images[i], {}};
        std::snprintf(candidate.szKey, sizeof candidate.szKey, "%s", key.c_str());
        candidates.push_back(candidate);
    }
    const std::vector<CImageFile*> expected = Order(oneByOne);
    for (size_t limit : {size_t{100}, size_t{1}, images.size(), images.size() + 5}) {
        CFileSortCollection first;
        first.InsertFirst(candidates, limit);
        const size_t taken = std::min(limit, images.size());
        ASSERT_EQ(static_cast<size_t>(first.GetCount()), taken) << limit;
        EXPECT_EQ(Order(first), std::vector<CImageFile*>(expected.begin(), expected.begin() + taken))
            << limit;
        for (int i = 0; i < first.GetCount(); ++i) {
            EXPECT_TRUE(first.ItemAt(i)->m_sKey.Equals(oneByOne.ItemAt(i)->m_sKey)) << i;
        }
    }
}

}  // namespace
