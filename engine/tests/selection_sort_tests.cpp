// The byte order of the keys and the candidate order of CFileSortCollection.
#include <gtest/gtest.h>

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
    {"", "", false, false},
    {"", "0", true, false},
    {"0", "", false, true},
    {"0001", "0001", false, false},
    {"0001", "0002", true, false},
    {"0002", "0001", false, true},
    {"000", "0001", true, false},      // a proper beginning is the smaller
    {"0001", "000", false, true},
    {"10000123", "99990123", true, false},  // bytes, not numbers
    {"B", "a", true, false},
    {"\xE4", "z", false, true},         // unsigned bytes
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
    for (int i = 0; i < sorted.GetCount(); ++i) order.push_back(sorted.ItemAt(i)->m_pImage);
    return order;
}

TEST(SelectionSort, EqualKeysPutTheLaterImageFirst)
{
    CImageFile images[4];
    CFileSortCollection sorted;
    const char* keys[] = {"00011234", "00001234", "00011234", "00011234"};
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(sorted.Insert(Item(&images[i], keys[i]).release()));
    EXPECT_EQ(Order(sorted), (std::vector<CImageFile*>{&images[1], &images[3], &images[2], &images[0]}));
}

TEST(SelectionSort, InsertAllGivesTheOrderOfInsertingOneByOne)
{
    // Few distinct keys, so that many are equal, and keys that are beginnings of others.
    std::mt19937 generator(7);
    std::vector<CImageFile> images(3000);
    std::vector<std::string> keys;
    for (size_t i = 0; i < images.size(); ++i) {
        std::string key = std::to_string(generator() % 40);
        if (generator() % 3 == 0) key += std::to_string(generator() % 4);
        keys.push_back(key);
    }
    CFileSortCollection oneByOne;
    std::vector<std::unique_ptr<CFileSortItem>> items;
    for (size_t i = 0; i < images.size(); ++i) {
        ASSERT_TRUE(oneByOne.Insert(Item(&images[i], keys[i].c_str()).release()));
        items.push_back(Item(&images[i], keys[i].c_str()));
    }
    CFileSortCollection atOnce;
    atOnce.InsertAll(items);
    EXPECT_TRUE(items.empty());
    EXPECT_EQ(Order(atOnce), Order(oneByOne));
}

}  // namespace
