// The in-memory DIB pair of the engine: a 1064-byte header block (BITMAPINFOHEADER and room for
// 256 colour entries) plus a separate pixel buffer whose rows are padded to four bytes.
// biHeight > 0 means bottom-up rows, biHeight < 0 top-down.
#pragma once

#include <windows.h>

#include "UTxUtils.h"

// The header block as it lies in memory.
struct DibHeaderBlock {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[256];

    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(this); }
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
};

constexpr DWORD kDibHeaderBlockSize = 1064;
static_assert(sizeof(DibHeaderBlock) == kDibHeaderBlockSize, "header block layout");

// No pixel buffer the engine makes or accepts is larger: a 32-bit process needs about twice the
// pixel size at its peak, and every size product stays far from 32-bit overflow.
constexpr ULONGLONG kMaxDibPixelBytes = 512ull * 1024 * 1024;

// Bytes of one row of `width` pixels of `bitCount` bits, padded to four bytes; 0 for width < 1.
inline ULONGLONG DibRowBytes(LONGLONG width, WORD bitCount)
{
    if (width < 1) return 0;
    return (static_cast<ULONGLONG>(width) * bitCount + 31) / 32 * 4;
}

// |biHeight| without the overflow of -INT_MIN.
inline ULONGLONG DibRowCount(LONG height)
{
    return height < 0 ? static_cast<ULONGLONG>(-static_cast<LONGLONG>(height))
                      : static_cast<ULONGLONG>(height);
}

// Bytes of all rows of the image the header describes, in 64 bits.
inline ULONGLONG DibPixelBytes(const BITMAPINFOHEADER& h)
{
    return DibRowBytes(h.biWidth, h.biBitCount) * DibRowCount(h.biHeight);
}

// A zeroed block of fixed global memory (GPTR: the handle is the pointer), as the callers of the
// engine's interface expect; empty when the size is 0, above the cap or the allocation failed.
inline GlobalBlock AllocDibBlock(ULONGLONG bytes)
{
    if (bytes == 0 || bytes > kMaxDibPixelBytes + kDibHeaderBlockSize) return GlobalBlock();
    return GlobalBlock(::GlobalAlloc(GPTR, static_cast<SIZE_T>(bytes)));
}

// Owns a DIB pair that the engine allocated (a header block and a pixel block, each fixed global
// memory freed with GlobalFree), such as the resamplers' results.
class CDibPair {
public:
    CDibPair() = default;
    CDibPair(BITMAPINFO* info, void* bits)
        : m_Info(static_cast<HGLOBAL>(info)), m_Bits(static_cast<HGLOBAL>(bits))
    {
    }

    BITMAPINFO* Info() const { return static_cast<BITMAPINFO*>(m_Info.get()); }
    void* Bits() const { return m_Bits.get(); }
    explicit operator bool() const { return m_Info && m_Bits; }
    void Reset(BITMAPINFO* info = nullptr, void* bits = nullptr)
    {
        m_Info.reset(static_cast<HGLOBAL>(info));
        m_Bits.reset(static_cast<HGLOBAL>(bits));
    }
    // Gives up ownership (the blocks were handed to a caller who frees them).
    void Release()
    {
        m_Info.release();
        m_Bits.release();
    }

private:
    GlobalBlock m_Info;
    GlobalBlock m_Bits;
};
