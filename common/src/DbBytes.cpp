// Checks on the texts stored in the string file.
#include "DbBytes.h"

#include <cstring>

#include "DbFormat.h"

namespace DbBytes {

const char* TextRangeProblem(std::uint32_t position, std::uint32_t length, std::uint64_t fileSize)
{
    if (length < 2) return "its length leaves no text";
    if (length > DbLayout::kMaxStoredText) return "its length is larger than any stored text";
    if (static_cast<unsigned long long>(position) + length > fileSize)
        return "it ends beyond the string file";
    return nullptr;
}

const char* TextBytesProblem(const std::uint8_t* bytes, std::uint32_t length, std::uint8_t before)
{
    if (bytes[length - 1] != 0) return "it is not terminated where its length says";
    if (std::memchr(bytes, 0, length - 1)) return "it is shorter than its length says";
    if (before != 0) return "it does not start where a stored text starts";
    return nullptr;
}

}  // namespace DbBytes
