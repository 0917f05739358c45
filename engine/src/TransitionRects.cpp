// The steps of a screen-saver transition: strips and blocks of the image with keys that put them in
// the pattern's order.
#include <cstdio>
#include <memory>

#include "UFileSort.h"
#include "Uselection.h"
#include "Utransition.h"

namespace {

constexpr int kWholeImageKey = 999999;
constexpr int kSecondRoundKey = 1000;  // odd strips after all even ones
constexpr int kDiagonalKey = 1000;     // one diagonal of blocks after the other
constexpr unsigned kRandomKeys = 10000;

TransitionPatternSource g_PatternSource = nullptr;

int CeilDiv(int a, int b)
{
    return (a + b - 1) / b;
}

class RectSink {
public:
    explicit RectSink(CRectSortCollection& rects) : m_Rects(rects) {}
    void Add(int left, int top, int width, int height, int key)
    {
        auto rect = std::make_unique<CTransitionRect>(left, top, width, height, key);
        if (m_Rects.Insert(rect.get())) rect.release();
    }

private:
    CRectSortCollection& m_Rects;
};

// Patterns 0 and 1: pairs of strips beside the middle line, opening outwards (direction 0) or
// closing from both edges inwards (1); at each step the strip before the middle comes first.
void AddCentreStrips(RectSink& sink, int width, int height, int count, bool vertical, int direction)
{
    const int half = count / 2;
    const int length = vertical ? width : height;
    const int strip = CeilDiv(length, 2 * half);
    for (int i = 1; i <= half; ++i) {
        int before = length / 2 - i * strip;
        if (before < 0) before = 0;
        const int after = length / 2 + (i - 1) * strip;
        const int key = direction == 0 ? 2 * i : 2 * (half - i);
        if (vertical) {
            sink.Add(before, 0, strip, height, key);
            sink.Add(after, 0, strip, height, key + 1);
        } else {
            sink.Add(0, before, width, strip, key);
            sink.Add(0, after, width, strip, key + 1);
        }
    }
}

int StripKey(int i, int count, int order, CSelectionRandom& random)
{
    const bool odd = i % 2 != 0;
    switch (order) {
    case 0:
        return i;
    case 1:
        return count - i;
    case 2:
        return odd ? i + kSecondRoundKey : i;
    case 3:
        return odd ? count - i + kSecondRoundKey : count - i;
    default:
        return static_cast<int>(random.NextBelow(kRandomKeys));
    }
}

// Patterns 2 and 3: `count` strips across the image.
void AddStrips(RectSink& sink, int width, int height, int count, bool vertical, int order,
               CSelectionRandom& random)
{
    const int strip = CeilDiv(vertical ? width : height, count);
    for (int i = 0; i < count; ++i) {
        const int key = StripKey(i, count, order, random);
        if (vertical) {
            sink.Add(i * strip, 0, strip, height, key);
        } else {
            sink.Add(0, i * strip, width, strip, key);
        }
    }
}

// Pattern 4: a grid of count / 3 by count / 3 blocks, swept diagonal by diagonal from one corner
// (within a diagonal by column) or in random order.
void AddBlocks(RectSink& sink, int width, int height, int count, int order, CSelectionRandom& random)
{
    const int m = count / 3;
    const int blockWidth = CeilDiv(width, m);
    const int blockHeight = CeilDiv(height, m);
    for (int r = 0; r < m; ++r) {
        for (int c = 0; c < m; ++c) {
            int diagonal = 0;
            switch (order) {
            case 0:
                diagonal = r + c;
                break;
            case 1:
                diagonal = m - 1 - r + c;
                break;
            case 2:
                diagonal = m - 1 + r - c;
                break;
            case 3:
                diagonal = 2 * m - 2 - r - c;
                break;
            default:
                diagonal = -1;
                break;
            }
            const int key =
                diagonal < 0 ? static_cast<int>(random.NextBelow(kRandomKeys)) : diagonal * kDiagonalKey + c;
            sink.Add(c * blockWidth, r * blockHeight, blockWidth, blockHeight, key);
        }
    }
}

TransitionPattern DrawPattern(CSelectionRandom& random)
{
    TransitionPattern pattern{};
    pattern.iPattern = static_cast<int>(random.NextBelow(kTransitionPatterns));
    const bool directed = pattern.iPattern == TRANSITION_VERTICAL_FROM_CENTRE ||
                          pattern.iPattern == TRANSITION_HORIZONTAL_FROM_CENTRE;
    pattern.iMode = static_cast<int>(random.NextBelow(directed ? 2 : 5));
    return pattern;
}

}  // namespace

CTransitionRect::CTransitionRect(int iLeft, int iTop, int iWidth, int iHeight, int iKey)
    : m_iLeft(iLeft), m_iTop(iTop), m_iWidth(iWidth), m_iHeight(iHeight)
{
    char key[16];
    std::snprintf(key, sizeof key, "%06d", iKey);
    m_sKey.Assign(key);
}

CRectSortCollection::CRectSortCollection() : TxSortedCollection(true, 32, 64) {}

int CRectSortCollection::Compare(const void* key1, const void* key2) const
{
    return CompareSortKeys(static_cast<const CTransitionRect*>(key1)->m_sKey,
                           static_cast<const CTransitionRect*>(key2)->m_sKey);
}

TransitionPatternSource SetTransitionPatternSource(TransitionPatternSource source)
{
    const TransitionPatternSource previous = g_PatternSource;
    g_PatternSource = source;
    return previous;
}

void BuildTransitionRects(int iWidth, int iHeight, int iCount, CRectSortCollection& rects,
                          TransitionPattern pattern, CSelectionRandom& random)
{
    rects.FreeAll();
    RectSink sink(rects);
    // Fewer than three steps would leave the grid and the strip pairs without a single step.
    if (iWidth >= 1 && iHeight >= 1 && iCount >= 3) {
        switch (pattern.iPattern) {
        case TRANSITION_VERTICAL_FROM_CENTRE:
        case TRANSITION_HORIZONTAL_FROM_CENTRE:
            AddCentreStrips(sink, iWidth, iHeight, iCount,
                            pattern.iPattern == TRANSITION_VERTICAL_FROM_CENTRE, pattern.iMode);
            break;
        case TRANSITION_VERTICAL_STRIPS:
        case TRANSITION_HORIZONTAL_STRIPS:
            AddStrips(sink, iWidth, iHeight, iCount, pattern.iPattern == TRANSITION_VERTICAL_STRIPS,
                      pattern.iMode, random);
            break;
        default:
            AddBlocks(sink, iWidth, iHeight, iCount, pattern.iMode, random);
            break;
        }
    }
    sink.Add(0, 0, iWidth, iHeight, kWholeImageKey);
}

void BuildTransitionRects(int iWidth, int iHeight, int iCount, CRectSortCollection& rects)
{
    CSelectionRandom random(NextSelectionSeed());
    const TransitionPattern pattern = g_PatternSource ? g_PatternSource() : DrawPattern(random);
    BuildTransitionRects(iWidth, iHeight, iCount, rects, pattern, random);
}
