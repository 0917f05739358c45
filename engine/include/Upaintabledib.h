// The engine's off-screen canvas (a 24-bit top-down DIB section) and the helpers for the in-memory
// DIB pair of Udib.h: row and image sizes, header filling, .bmp writing and cutting rectangles.
#pragma once

#include <windows.h>

#include "UTxUtils.h"

// Bytes of one row (4-byte padded; biWidth x 4 for bit counts other than 1, 4, 8, 16 and 24);
// 0 for a NULL header.
DWORD GetDibLineIncrement(const BITMAPINFO* pHeader);
// Bytes of all rows; 0 for a NULL header, 0xFFFFFFFF (an allocation that fails) when the size
// does not fit 32 bits.
DWORD GetDibArea(const BITMAPINFO* pHeader);
// Fills a header for the size and depth (15 is stored as 16 bits BI_RGB, 16 as 5-6-5 bit fields),
// with grey colour tables for 1, 4 and 8 bits; a NULL header is ignored.
void FillDibHeader(BITMAPINFO* pHeader, int iWidth, int iHeight, int iDepth, bool bTopDown);
// Writes a bottom-up .bmp file (a top-down image is turned over on the way; the caller's header
// is not changed). The file is written beside its target and moved over it only when complete,
// so a failure leaves any earlier file whole.
bool SaveToBmpFile(const char* szPath, const BITMAPINFO* pHeader, const void* pBits);
// Cuts the rectangle (x, y, *piWidth, *piHeight) of an 8-, 24- or 32-bit image (y counted from the
// top as seen) into a top-down target, whose header is filled here; the target pixels need
// GetDibArea(target) bytes. The rectangle is clipped to the source; the size copied comes back.
bool CopyBmpRectFromBmp(const BITMAPINFO* pSrcHeader, const void* pSrcBits, BITMAPINFO* pDstHeader,
                        void* pDstBits, int iX, int iY, int* piWidth, int* piHeight);

class CPaintableDib {
public:
    CPaintableDib(int iWidth, int iHeight);
    ~CPaintableDib();
    CPaintableDib(const CPaintableDib&) = delete;
    CPaintableDib& operator=(const CPaintableDib&) = delete;

    // Creates (again) the DIB section and the default font; false when the section could not be
    // made, after which every drawing operation does nothing.
    bool CreateCanvas();

    // A memory drawing context with the section selected, owned by the caller until ReleaseDC.
    // A DIB section can be selected into one context only, so while one is out GetDC gives NULL
    // and Clear, FillRect and PaintDib draw through the one that is out.
    HDC GetDC();
    void ReleaseDC(HDC hDC);

    void Clear(COLORREF crColor);
    // Fills from (left, top) up to, not including, left + width and top + height.
    void FillRect(COLORREF crColor, int iLeft, int iTop, int iWidth, int iHeight);
    // Paints a DIB pair with its top-left corner at (x, y). With a limit point right of or below
    // (x, y), the image is cut by the same amount on both sides so that it starts at the limit.
    void PaintDib(const BITMAPINFO* pBitmapInfo, const void* pData, int iX, int iY,
                  const POINT* pLimit = nullptr);

    void GetTextExtent(HDC hDC, const char* szText, SIZE* pSize);
    void SetFont(HDC hDC, const char* szFaceName, int iPointSize, BYTE bCharSet, COLORREF crTextColor,
                 COLORREF crOutlineColor, bool bBold, bool bItalic, bool bStrikeOut, bool bUnderline,
                 bool bAntialias);
    // Eight copies in the outline colour at the neighbouring pixels, then the text in its colour.
    void TextOutOutlined(HDC hDC, const char* szText, int iX, int iY);
    void TextOutColor(HDC hDC, const char* szText, int iX, int iY, bool bUseOutlineColor);

    bool SaveToBmpFile(const char* szPath);

    int GetWidth() const { return m_iWidth; }
    int GetHeight() const { return m_iHeight; }
    BITMAPINFO* GetBitmapInfo() const { return m_pBitmapInfo; }
    // Finishes pending drawing (GdiFlush) before handing out the pixels.
    void* GetBits() const;

private:
    // A context to draw on: the one that is out, or a fresh one released at the end of the scope.
    class DrawingContext;

    GdiObject m_hBitmap;
    void* m_pBits = nullptr;
    GlobalBlock m_HeaderBlock;
    BITMAPINFO* m_pBitmapInfo = nullptr;
    int m_iWidth;
    int m_iHeight;
    GdiObject m_hFont;
    bool m_bAntialias = true;
    COLORREF m_crTextColor = 0;
    COLORREF m_crOutlineColor = 0;
    HDC m_hOutDC = nullptr;
};

// A drawing context of the canvas, given back on every path.
class CanvasDC {
public:
    explicit CanvasDC(CPaintableDib& canvas) : m_Canvas(canvas), m_hDC(canvas.GetDC()) {}
    CanvasDC(const CanvasDC&) = delete;
    CanvasDC& operator=(const CanvasDC&) = delete;
    ~CanvasDC()
    {
        if (!m_hDC) return;
        ::GdiFlush();
        m_Canvas.ReleaseDC(m_hDC);
    }
    HDC get() const { return m_hDC; }

private:
    CPaintableDib& m_Canvas;
    HDC m_hDC;
};
