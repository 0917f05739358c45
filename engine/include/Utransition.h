// How the screen saver brings a finished image onto its window: rectangle by rectangle, in one of
// five patterns, within about one second.
#pragma once

#include <windows.h>

#include "UTxCollections.h"

class CSelectionRandom;

// One step of a transition: the part of the image (and of the window) copied at once.
class CTransitionRect : public TxObject {
public:
    CTransitionRect(int iLeft, int iTop, int iWidth, int iHeight, int iKey);

    int m_iLeft;
    int m_iTop;
    int m_iWidth;     // may reach past the image; the copy cuts it
    int m_iHeight;    // likewise
    TxString m_sKey;  // six digits: the byte order is the numeric order
};

// The steps in key order; a step whose key equals present ones goes before them. Owns its items.
class CRectSortCollection : public TxSortedCollection {
public:
    CRectSortCollection();

    CTransitionRect* RectAt(int index) const { return static_cast<CTransitionRect*>(At(index)); }
    int Compare(const void* key1, const void* key2) const override;
};

// The number of steps every screen-saver transition is planned with (about 30 a second).
constexpr int kTransitionSteps = 1000 / 30;

// The five patterns and what their mode means.
enum TransitionPatternId {
    TRANSITION_VERTICAL_FROM_CENTRE = 0,    // mode 0 opens from the middle, 1 closes from the edges
    TRANSITION_HORIZONTAL_FROM_CENTRE = 1,  // the same with horizontal strips
    TRANSITION_VERTICAL_STRIPS = 2,         // mode: 0 left to right, 1 right to left, 2 even strips
    TRANSITION_HORIZONTAL_STRIPS = 3,       //   then odd ones, 3 the same from the other side, 4 random
    TRANSITION_BLOCKS = 4,                  // mode: diagonals from the corner 0 top left, 1 bottom
                                            //   left, 2 top right, 3 bottom right; 4 random
};
constexpr int kTransitionPatterns = 5;

struct TransitionPattern {
    int iPattern;
    int iMode;  // the direction of patterns 0 and 1 (0..1), the order of the others (0..4)
};

// Refills `rects` with the steps of a W x H image in the given pattern and mode; the random order
// draws its keys from `random`. Always ends with the whole image (key "999999"), so nothing is left
// out whatever the pattern.
void BuildTransitionRects(int iWidth, int iHeight, int iCount, CRectSortCollection& rects,
                          TransitionPattern pattern, CSelectionRandom& random);
// The same with the pattern and mode drawn from a generator seeded by NextSelectionSeed(), or taken
// from the source a test put in.
void BuildTransitionRects(int iWidth, int iHeight, int iCount, CRectSortCollection& rects);

// Where BuildTransitionRects takes its pattern from: drawn at random unless a test put its own
// source in. Returns the source it replaced; null puts the drawing back.
using TransitionPatternSource = TransitionPattern (*)();
TransitionPatternSource SetTransitionPatternSource(TransitionPatternSource source);

// Copies the image onto the window step by step, each drawn step 1000 / steps ms after the one
// before it (paced against the clock, so the whole lasts about a second). A cancel request stops it
// before the next step, and the result is still true: the window keeps the steps drawn so far.
// False only when the image is unusable or its copy buffer cannot be had.
bool PaintDibWithTransition(HWND hWnd, const BITMAPINFO* pHeader, const void* pPixels);
