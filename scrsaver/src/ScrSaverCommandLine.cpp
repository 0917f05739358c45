#include "ScrSaverCommandLine.h"

#include <cstdint>

namespace scrsaver {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A window handle written in decimal; null for no digits or a number beyond 32 bits.
HWND ParseWindowNumber(const char* text)
{
    while (IsBlank(*text) || *text == ':')
        ++text;
    if (*text < '0' || *text > '9') return nullptr;
    std::uint64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + static_cast<unsigned>(*text - '0');
        if (value > 0xFFFFFFFFull) return nullptr;
    }
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
}

}  // namespace

SaverCommand ParseSaverCommandLine(const char* commandLine)
{
    SaverCommand command;
    if (!commandLine) return command;
    const char* p = commandLine;
    while (IsBlank(*p))
        ++p;
    if (*p != '/' && *p != '-') return command;
    ++p;
    switch (*p | 0x20) {  // lower case for letters
    case 's':
        command.mode = SaverMode::FullScreen;
        return command;
    case 'p':
        command.mode = SaverMode::Preview;
        break;
    case 'a':
        command.mode = SaverMode::ChangePassword;
        break;
    case 'c':
        command.mode = SaverMode::Configure;
        break;
    default:
        return command;
    }
    command.parent = ParseWindowNumber(p + 1);
    return command;
}

}  // namespace scrsaver
