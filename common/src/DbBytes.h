// Reading and checking the little-endian numbers and stored texts of the database files.
#pragma once

#include <cstdint>

namespace DbBytes {

inline std::uint32_t Get32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline void Put32(std::uint8_t* p, std::uint32_t value)
{
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
    p[2] = static_cast<std::uint8_t>(value >> 16);
    p[3] = static_cast<std::uint8_t>(value >> 24);
}

// Why a stored text's position and length (its zero included) cannot be right for a string file of
// `fileSize` bytes, or null when they can.
const char* TextRangeProblem(std::uint32_t position, std::uint32_t length, std::uint64_t fileSize);

// Why the `length` stored bytes of a text are not one whole text as the saver writes it (non-empty,
// zero-terminated, no zero inside, preceded by the previous text's zero), or null. `before` is the
// byte in front of the text, 0 at the start of the file.
const char* TextBytesProblem(const std::uint8_t* bytes, std::uint32_t length, std::uint8_t before);

}  // namespace DbBytes
