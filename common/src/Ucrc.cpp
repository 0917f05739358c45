// Table-driven reflected CRC-32 without inversion.
#include "Ucrc.h"

#include <array>

namespace {

constexpr DWORD kPolynomial = 0xEDB88320u;

constexpr std::array<DWORD, 256> MakeTable()
{
    std::array<DWORD, 256> table{};
    for (DWORD n = 0; n < 256; ++n) {
        DWORD c = n;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? kPolynomial ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<DWORD, 256> kTable = MakeTable();

}  // namespace

DWORD Crc32String(DWORD crc, const char* text)
{
    if (!text) return crc;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        crc = kTable[(crc ^ *p) & 0xFF] ^ (crc >> 8);
    return crc;
}

DWORD Crc32Bytes(DWORD crc, const void* data, size_t size)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i)
        crc = kTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}
