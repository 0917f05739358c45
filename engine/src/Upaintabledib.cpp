// The off-screen canvas: a 24-bit top-down DIB section with a memory drawing context, a font and
// text with a one-pixel outline.
#include "Upaintabledib.h"

#include <cstring>

#include "UTxLog.h"
#include "Udib.h"

namespace {

constexpr int kDefaultFontHeight = 20;
constexpr int kPointsPerInch = 72;

BYTE FontQuality(bool bAntialias)
{
    return bAntialias ? ANTIALIASED_QUALITY : NONANTIALIASED_QUALITY;
}

}  // namespace

class CPaintableDib::DrawingContext {
public:
    explicit DrawingContext(CPaintableDib& canvas) : m_Canvas(canvas)
    {
        if (canvas.m_hOutDC) {
            m_hDC = canvas.m_hOutDC;
        } else {
            m_hDC = canvas.GetDC();
            m_bOwned = m_hDC != nullptr;
        }
    }
    DrawingContext(const DrawingContext&) = delete;
    DrawingContext& operator=(const DrawingContext&) = delete;
    ~DrawingContext()
    {
        if (m_bOwned) m_Canvas.ReleaseDC(m_hDC);
    }
    HDC get() const { return m_hDC; }

private:
    CPaintableDib& m_Canvas;
    HDC m_hDC = nullptr;
    bool m_bOwned = false;
};

CPaintableDib::CPaintableDib(int iWidth, int iHeight) : m_iWidth(iWidth), m_iHeight(iHeight)
{
    m_HeaderBlock = AllocDibBlock(kDibHeaderBlockSize);
    m_pBitmapInfo = static_cast<BITMAPINFO*>(static_cast<void*>(m_HeaderBlock.get()));
    FillDibHeader(m_pBitmapInfo, iWidth, iHeight, 24, true);
}

CPaintableDib::~CPaintableDib()
{
    // A context still out holds the section; it is of no use once the section is gone.
    if (m_hOutDC) {
        LogText("CPaintableDib: drawing context not released");
        ::DeleteDC(m_hOutDC);
        m_hOutDC = nullptr;
    }
    if (m_hBitmap) {
        ::GdiFlush();
        m_hBitmap.reset();
    }
    m_hFont.reset();
}

bool CPaintableDib::CreateCanvas()
{
    if (m_hOutDC) {
        LogText("CPaintableDib::CreateCanvas: a drawing context is still out");
        return static_cast<bool>(m_hBitmap);
    }
    if (m_hBitmap) {
        ::GdiFlush();
        m_hBitmap.reset();
        m_pBits = nullptr;
    }
    if (!m_pBitmapInfo) return false;
    if (m_iWidth < 1 || m_iHeight < 1 || DibPixelBytes(m_pBitmapInfo->bmiHeader) > kMaxDibPixelBytes) {
        LogF("CPaintableDib::CreateCanvas: invalid size %dx%d", m_iWidth, m_iHeight);
        return false;
    }

    const HWND hDesktop = ::GetDesktopWindow();
    const HDC hDesktopDC = ::GetWindowDC(hDesktop);
    void* pBits = nullptr;
    m_hBitmap.reset(::CreateDIBSection(hDesktopDC, m_pBitmapInfo, DIB_RGB_COLORS, &pBits, nullptr, 0));
    if (hDesktopDC) ::ReleaseDC(hDesktop, hDesktopDC);
    m_pBits = m_hBitmap ? pBits : nullptr;

    m_hFont.reset(::CreateFontA(kDefaultFontHeight, 0, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, FontQuality(m_bAntialias), FF_SWISS,
                                "Arial"));
    return static_cast<bool>(m_hBitmap);
}

HDC CPaintableDib::GetDC()
{
    if (!m_hBitmap) return nullptr;
    if (m_hOutDC) {
        LogText("CPaintableDib::GetDC: a drawing context is already out");
        return nullptr;
    }
    MemDC dc(::CreateCompatibleDC(nullptr));
    if (!dc || !::SelectObject(dc.get(), m_hBitmap.get())) return nullptr;
    m_hOutDC = dc.release();
    return m_hOutDC;
}

void CPaintableDib::ReleaseDC(HDC hDC)
{
    if (!hDC) return;
    if (hDC == m_hOutDC) m_hOutDC = nullptr;
    ::DeleteDC(hDC);
}

void CPaintableDib::Clear(COLORREF crColor)
{
    // A null pen leaves out the right column and the bottom row, so the rectangle is one larger.
    FillRect(crColor, 0, 0, m_iWidth + 1, m_iHeight + 1);
}

void CPaintableDib::FillRect(COLORREF crColor, int iLeft, int iTop, int iWidth, int iHeight)
{
    DrawingContext dc(*this);
    if (!dc.get()) return;
    GdiObject pen(::CreatePen(PS_NULL, 1, crColor));
    GdiObject brush(::CreateSolidBrush(crColor));
    if (!pen || !brush) return;
    SelectGuard selectPen(dc.get(), pen.get());
    SelectGuard selectBrush(dc.get(), brush.get());
    ::Rectangle(dc.get(), iLeft, iTop, iLeft + iWidth, iTop + iHeight);
}

void CPaintableDib::PaintDib(const BITMAPINFO* pBitmapInfo, const void* pData, int iX, int iY,
                             const POINT* pLimit)
{
    if (!pData || !pBitmapInfo) {
        LogText("pData is NULL or pBitmapInfo is NULL");
        return;
    }
    const LONG rows = static_cast<LONG>(DibRowCount(pBitmapInfo->bmiHeader.biHeight));
    LONG w = pBitmapInfo->bmiHeader.biWidth;
    LONG n = rows;
    LONG xs = 0;
    LONG ys = 0;
    if (pLimit) {
        if (pLimit->x > iX) {
            xs = pLimit->x - iX;
            w -= 2 * xs;
        }
        if (pLimit->y > iY) {
            ys = pLimit->y - iY;
            n -= 2 * ys;
        }
    }
    if (w <= 0 || n <= 0) return;

    DrawingContext dc(*this);
    if (!dc.get()) return;
    // All scan lines are supplied: the cut is the same at the top and the bottom, so the source
    // offset ys is right whether it is counted from the top or, for bottom-up images, the bottom.
    ::SetDIBitsToDevice(dc.get(), iX + xs, iY + ys, static_cast<DWORD>(w), static_cast<DWORD>(n), xs, ys, 0,
                        static_cast<UINT>(rows), pData, pBitmapInfo, DIB_RGB_COLORS);
}

void CPaintableDib::GetTextExtent(HDC hDC, const char* szText, SIZE* pSize)
{
    if (!hDC || !szText || !pSize) return;
    SelectGuard selectFont(hDC, m_hFont.get());
    ::GetTextExtentPoint32A(hDC, szText, static_cast<int>(std::strlen(szText)), pSize);
}

void CPaintableDib::SetFont(HDC hDC, const char* szFaceName, int iPointSize, BYTE bCharSet,
                            COLORREF crTextColor, COLORREF crOutlineColor, bool bBold, bool bItalic,
                            bool bStrikeOut, bool bUnderline, bool bAntialias)
{
    m_crTextColor = crTextColor;
    m_crOutlineColor = crOutlineColor;
    m_bAntialias = bAntialias;
    const int iPixelsPerInch = hDC ? ::GetDeviceCaps(hDC, LOGPIXELSY) : 96;
    const int iHeight = ::MulDiv(iPointSize, iPixelsPerInch, kPointsPerInch);
    m_hFont.reset(::CreateFontA(-iHeight, 0, 0, 0, bBold ? FW_BOLD : FW_NORMAL, bItalic, bUnderline,
                                bStrikeOut, bCharSet, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                FontQuality(bAntialias), FF_SWISS, szFaceName));
}

void CPaintableDib::TextOutColor(HDC hDC, const char* szText, int iX, int iY, bool bUseOutlineColor)
{
    if (!hDC || !szText) return;
    SelectGuard selectFont(hDC, m_hFont.get());
    ::SetTextColor(hDC, bUseOutlineColor ? m_crOutlineColor : m_crTextColor);
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextAlign(hDC, 0);
    ::TextOutA(hDC, iX, iY, szText, static_cast<int>(std::strlen(szText)));
}

void CPaintableDib::TextOutOutlined(HDC hDC, const char* szText, int iX, int iY)
{
    static const POINT kOutline[8] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    for (const POINT& d : kOutline)
        TextOutColor(hDC, szText, iX + d.x, iY + d.y, true);
    TextOutColor(hDC, szText, iX, iY, false);
}

bool CPaintableDib::SaveToBmpFile(const char* szPath)
{
    if (!m_hBitmap) return false;
    ::GdiFlush();
    return ::SaveToBmpFile(szPath, m_pBitmapInfo, m_pBits);
}

void* CPaintableDib::GetBits() const
{
    ::GdiFlush();
    return m_pBits;
}
