// The command lines the platform (and users) give a screen saver, and what each asks for.
#include "ScrSaverCommandLine.h"

#include <gtest/gtest.h>

using scrsaver::ParseSaverCommandLine;
using scrsaver::SaverMode;

namespace {

struct CommandCase {
    const char* line;
    SaverMode mode;
    UINT_PTR parent;
};

const CommandCase kCases[] = {
    {"/s", SaverMode::FullScreen, 0},
    {"/S", SaverMode::FullScreen, 0},
    {"-s", SaverMode::FullScreen, 0},
    {"  /s  ", SaverMode::FullScreen, 0},
    {"/p 1234", SaverMode::Preview, 1234},
    {"/P 1234", SaverMode::Preview, 1234},
    {"/p:1234", SaverMode::Preview, 1234},
    {"-p\t65538", SaverMode::Preview, 65538},
    {"/p 4294967295", SaverMode::Preview, 0xFFFFFFFFu},
    {"/p 4294967296", SaverMode::Preview, 0},  // beyond a handle: none
    {"/p", SaverMode::Preview, 0},
    {"/p x12", SaverMode::Preview, 0},
    {"/c", SaverMode::Configure, 0},
    {"/C", SaverMode::Configure, 0},
    {"/c:3210", SaverMode::Configure, 3210},
    {"/c 3210", SaverMode::Configure, 3210},
    {"", SaverMode::Configure, 0},
    {"   ", SaverMode::Configure, 0},
    {"/x", SaverMode::Configure, 0},
    {"/", SaverMode::Configure, 0},
    {"s", SaverMode::Configure, 0},
    {"/a", SaverMode::ChangePassword, 0},
    {"/A 77", SaverMode::ChangePassword, 77},
};

}  // namespace

TEST(SaverCommandLine, ModeAndParent)
{
    for (const CommandCase& c : kCases) {
        const scrsaver::SaverCommand command = ParseSaverCommandLine(c.line);
        EXPECT_EQ(command.mode, c.mode) << '"' << c.line << '"';
        EXPECT_EQ(reinterpret_cast<UINT_PTR>(command.parent), c.parent) << '"' << c.line << '"';
    }
    EXPECT_EQ(ParseSaverCommandLine(nullptr).mode, SaverMode::Configure);
}
