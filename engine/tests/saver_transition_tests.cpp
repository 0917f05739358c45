// The steps of the screen-saver transitions as plain data: how many, how long each waits, that they
// cover the image, and the order each pattern and mode puts them in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "Uselection.h"
#include "Utransition.h"

namespace {

struct Step {
    int left, top, width, height;
    std::string key;
};

std::vector<Step> Steps(int width, int height, TransitionPattern pattern, unsigned seed = 1)
{
    CRectSortCollection rects;
    CSelectionRandom random(seed);
    BuildTransitionRects(width, height, kTransitionSteps, rects, pattern, random);
    std::vector<Step> steps;
    for (int i = 0; i < rects.GetCount(); ++i) {
        const CTransitionRect* r = rects.RectAt(i);
        steps.push_back({r->m_iLeft, r->m_iTop, r->m_iWidth, r->m_iHeight, r->m_sKey.GetText()});
    }
    return steps;
}

// Every pixel of the image lies in one of the steps before the last (the whole image).
bool CoveredBeforeTheLast(const std::vector<Step>& steps, int width, int height)
{
    std::vector<char> covered(static_cast<size_t>(width) * height, 0);
    for (size_t i = 0; i + 1 < steps.size(); ++i) {
        const Step& s = steps[i];
        for (int y = std::max(s.top, 0); y < std::min(s.top + s.height, height); ++y)
            for (int x = std::max(s.left, 0); x < std::min(s.left + s.width, width); ++x)
                covered[static_cast<size_t>(y) * width + x] = 1;
    }
    for (char c : covered)
        if (!c) return false;
    return true;
}

// Where a strip lies: its left edge for vertical strips, its top edge for horizontal ones.
int Along(const Step& s, bool vertical)
{
    return vertical ? s.left : s.top;
}

// Centre strips: pairs beside the middle, the strip before the middle first; their distance from the
// middle grows (opening) or shrinks (closing).
bool CentreOrder(const std::vector<Step>& steps, int width, int height, bool vertical, bool opening,
                 std::string& why)
{
    const int middle = (vertical ? width : height) / 2;
    int previous = opening ? -1 : 1 << 30;
    for (size_t i = 0; i + 1 < steps.size(); i += 2) {
        const int first = Along(steps[i], vertical);
        const int second = Along(steps[i + 1], vertical);
        if (!(first < middle && second >= middle)) {
            why = "pair " + std::to_string(i / 2) +
                  " is not one strip on each side, the first before the middle";
            return false;
        }
        const int distance = second - middle;
        if (opening ? distance <= previous : distance >= previous) {
            why = "pair " + std::to_string(i / 2) + " breaks the order from or to the middle";
            return false;
        }
        previous = distance;
    }
    return true;
}

// Strips: the index of each strip (position / strip size) in the expected sequence. `rounds` 1 runs
// every strip, 2 even strips first and odd ones after; `forward` from the start or the end.
bool StripOrder(const std::vector<Step>& steps, bool vertical, int rounds, bool forward, std::string& why)
{
    const int size = vertical ? steps[0].width : steps[0].height;
    std::vector<int> expected;
    for (int round = 0; round < rounds; ++round) {
        for (int k = 0; k < kTransitionSteps; ++k) {
            const int index = forward ? k : kTransitionSteps - 1 - k;
            if (rounds == 1 || index % 2 == round) expected.push_back(index);
        }
    }
    for (size_t i = 0; i < expected.size(); ++i) {
        if (Along(steps[i], vertical) != expected[i] * size) {
            why = "step " + std::to_string(i) + " is not strip " + std::to_string(expected[i]);
            return false;
        }
    }
    return true;
}

// Blocks: diagonal after diagonal from a corner (the distance from it never shrinks), within one
// diagonal by column.
bool DiagonalOrder(const std::vector<Step>& steps, int cornerRow, int cornerColumn, std::string& why)
{
    const int blockWidth = steps[0].width;
    const int blockHeight = steps[0].height;
    int previousDistance = -1;
    int previousColumn = -1;
    for (size_t i = 0; i + 1 < steps.size(); ++i) {
        const int row = steps[i].top / blockHeight;
        const int column = steps[i].left / blockWidth;
        const int distance = std::abs(row - cornerRow) + std::abs(column - cornerColumn);
        if (i == 0 && distance != 0) {
            why = "the first block is not the corner's";
            return false;
        }
        if (distance < previousDistance || (distance == previousDistance && column <= previousColumn)) {
            why = "block " + std::to_string(i) + " is out of diagonal order";
            return false;
        }
        previousDistance = distance;
        previousColumn = column;
    }
    return true;
}

// The order a pattern and mode must give to the steps before the last.
struct Order {
    enum Kind { Centre, Strips, Diagonals, Random } kind;
    bool vertical = false;  // Centre, Strips: strips side by side
    bool forward = false;   // Centre: opening from the middle; Strips: from the left or top
    int rounds = 1;         // Strips: 2 for even strips first, odd ones after
    int cornerRow = 0;      // Diagonals: the corner they start from
    int cornerColumn = 0;
};

constexpr int kLast = kTransitionSteps / 3 - 1;  // the last row or column of blocks

// Random order: only the coverage and the key order are fixed; the seed decides the rest.
bool InOrder(const Order& order, const std::vector<Step>& steps, int width, int height, std::string& why)
{
    switch (order.kind) {
    case Order::Centre:
        return CentreOrder(steps, width, height, order.vertical, order.forward, why);
    case Order::Strips:
        return StripOrder(steps, order.vertical, order.rounds, order.forward, why);
    case Order::Diagonals:
        return DiagonalOrder(steps, order.cornerRow, order.cornerColumn, why);
    default:
        return true;
    }
}

struct PatternCase {
    const char* name;
    TransitionPattern pattern;
    int steps;
    DWORD waitMs;
    Order order;
};

const PatternCase kPatterns[] = {
    {"vertical from the centre, opening", {0, 0}, 33, 30, {Order::Centre, true, true}},
    {"vertical from the centre, closing", {0, 1}, 33, 30, {Order::Centre, true, false}},
    {"horizontal from the centre, opening", {1, 0}, 33, 30, {Order::Centre, false, true}},
    {"horizontal from the centre, closing", {1, 1}, 33, 30, {Order::Centre, false, false}},
    {"vertical strips left to right", {2, 0}, 34, 29, {Order::Strips, true, true, 1}},
    {"vertical strips right to left", {2, 1}, 34, 29, {Order::Strips, true, false, 1}},
    {"vertical strips, even then odd, left to right", {2, 2}, 34, 29, {Order::Strips, true, true, 2}},
    {"vertical strips, even then odd, right to left", {2, 3}, 34, 29, {Order::Strips, true, false, 2}},
    {"vertical strips at random", {2, 4}, 34, 29, {Order::Random}},
    {"horizontal strips top to bottom", {3, 0}, 34, 29, {Order::Strips, false, true, 1}},
    {"horizontal strips bottom to top", {3, 1}, 34, 29, {Order::Strips, false, false, 1}},
    {"horizontal strips, even then odd, top to bottom", {3, 2}, 34, 29, {Order::Strips, false, true, 2}},
    {"horizontal strips, even then odd, bottom to top", {3, 3}, 34, 29, {Order::Strips, false, false, 2}},
    {"horizontal strips at random", {3, 4}, 34, 29, {Order::Random}},
    {"blocks from the top left", {4, 0}, 122, 8, {Order::Diagonals, false, false, 1, 0, 0}},
    {"blocks from the bottom left", {4, 1}, 122, 8, {Order::Diagonals, false, false, 1, kLast, 0}},
    {"blocks from the top right", {4, 2}, 122, 8, {Order::Diagonals, false, false, 1, 0, kLast}},
    {"blocks from the bottom right", {4, 3}, 122, 8, {Order::Diagonals, false, false, 1, kLast, kLast}},
    {"blocks at random", {4, 4}, 122, 8, {Order::Random}},
};

struct Size {
    int width, height;
};
// A screen-saver window, an odd size smaller than one strip per pixel in one direction, and a
// size whose strips do not divide it.
const Size kSizes[] = {{640, 480}, {37, 23}, {1023, 600}};

TEST(TransitionRects, EachPatternAndModeGivesItsStepsWaitsCoverageAndOrder)
{
    for (const PatternCase& c : kPatterns) {
        for (const Size& size : kSizes) {
            const std::string label =
                std::string(c.name) + " at " + std::to_string(size.width) + "x" + std::to_string(size.height);
            const std::vector<Step> steps = Steps(size.width, size.height, c.pattern);
            ASSERT_EQ(static_cast<int>(steps.size()), c.steps) << label;
            EXPECT_EQ(1000u / steps.size(), c.waitMs) << label;
            const Step& last = steps.back();
            EXPECT_EQ(last.left, 0) << label;
            EXPECT_EQ(last.top, 0) << label;
            EXPECT_EQ(last.width, size.width) << label;
            EXPECT_EQ(last.height, size.height) << label;
            EXPECT_EQ(last.key, "999999") << label;
            for (size_t i = 0; i < steps.size(); ++i) {
                EXPECT_EQ(steps[i].key.size(), 6u) << label << ", step " << i;
                if (i > 0) {
                    EXPECT_LE(steps[i - 1].key, steps[i].key) << label << ", step " << i;
                }
            }
            EXPECT_TRUE(CoveredBeforeTheLast(steps, size.width, size.height)) << label;
            std::string why;
            EXPECT_TRUE(InOrder(c.order, steps, size.width, size.height, why)) << label << ": " << why;
        }
    }
}

TEST(TransitionRects, HorizontalCentreStripsOf600RowsAre19HighAndTheLastUpperStartsAtTheTop)
{
    for (int direction = 0; direction < 2; ++direction) {
        const std::vector<Step> steps = Steps(800, 600, {1, direction});
        int topmost = 600;
        for (size_t i = 0; i + 1 < steps.size(); ++i) {
            EXPECT_EQ(steps[i].height, 19) << "step " << i;
            EXPECT_EQ(steps[i].width, 800) << "step " << i;
            if (steps[i].top < topmost) topmost = steps[i].top;
        }
        // The sixteenth upper strip would start at 300 - 16 x 19 = -4.
        EXPECT_EQ(topmost, 0);
        const Step& outermostUpper = direction == 0 ? steps[steps.size() - 3] : steps[0];
        EXPECT_EQ(outermostUpper.top, 0) << "direction " << direction;
    }
}

TEST(TransitionRects, TheRandomOrdersFollowTheSeed)
{
    for (const TransitionPattern pattern :
         {TransitionPattern{2, 4}, TransitionPattern{3, 4}, TransitionPattern{4, 4}}) {
        const std::vector<Step> first = Steps(640, 480, pattern, 7);
        const std::vector<Step> again = Steps(640, 480, pattern, 7);
        const std::vector<Step> other = Steps(640, 480, pattern, 8);
        ASSERT_EQ(first.size(), again.size());
        bool same = true;
        bool differs = false;
        for (size_t i = 0; i < first.size(); ++i) {
            same = same && first[i].left == again[i].left && first[i].top == again[i].top;
            differs = differs || first[i].left != other[i].left || first[i].top != other[i].top;
        }
        EXPECT_TRUE(same) << "pattern " << pattern.iPattern << ": one seed, one order";
        EXPECT_TRUE(differs) << "pattern " << pattern.iPattern << ": another seed, another order";
    }
}

TEST(TransitionRects, AStepWhoseKeyEqualsPresentOnesGoesBeforeThem)
{
    CRectSortCollection rects;
    rects.Insert(new CTransitionRect(1, 0, 1, 1, 5));
    rects.Insert(new CTransitionRect(2, 0, 1, 1, 5));
    rects.Insert(new CTransitionRect(3, 0, 1, 1, 4));
    ASSERT_EQ(rects.GetCount(), 3);
    EXPECT_EQ(rects.RectAt(0)->m_iLeft, 3);
    EXPECT_EQ(rects.RectAt(1)->m_iLeft, 2);
    EXPECT_EQ(rects.RectAt(2)->m_iLeft, 1);
    EXPECT_STREQ(rects.RectAt(0)->m_sKey.GetText(), "000004");
}

unsigned SameSecond()
{
    return 1733836800u;
}

TransitionPattern ForcedBlocksFromBottomRight()
{
    return {4, 3};
}

TEST(TransitionRects, TheOperationDrawsFromTheSeedOrTakesTheForcedPattern)
{
    const SelectionSeedSource clock = SetSelectionSeedSource(&SameSecond);
    CRectSortCollection first, second;
    BuildTransitionRects(640, 480, kTransitionSteps, first);
    BuildTransitionRects(640, 480, kTransitionSteps, second);
    const TransitionPatternSource drawn = SetTransitionPatternSource(&ForcedBlocksFromBottomRight);
    CRectSortCollection forced;
    BuildTransitionRects(640, 480, kTransitionSteps, forced);
    SetTransitionPatternSource(drawn);
    SetSelectionSeedSource(clock);

    // Two builds within one second choose alike.
    ASSERT_EQ(first.GetCount(), second.GetCount());
    for (int i = 0; i < first.GetCount(); ++i) {
        EXPECT_EQ(first.RectAt(i)->m_iLeft, second.RectAt(i)->m_iLeft) << i;
        EXPECT_EQ(first.RectAt(i)->m_iTop, second.RectAt(i)->m_iTop) << i;
        EXPECT_EQ(first.RectAt(i)->m_iWidth, second.RectAt(i)->m_iWidth) << i;
    }
    const std::vector<Step> expected = Steps(640, 480, ForcedBlocksFromBottomRight());
    ASSERT_EQ(forced.GetCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < forced.GetCount(); ++i) {
        EXPECT_EQ(forced.RectAt(i)->m_iLeft, expected[static_cast<size_t>(i)].left) << i;
        EXPECT_EQ(forced.RectAt(i)->m_iTop, expected[static_cast<size_t>(i)].top) << i;
    }
}

}  // namespace
