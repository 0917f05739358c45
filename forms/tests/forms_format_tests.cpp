// Formats from outside the program: the check that decides whether a text may stand in for a
// default format, and the formatter that refuses what the check refuses.
#include <gtest/gtest.h>

#include <string>

#include "UiFormat.h"

namespace {

struct BoundCase {
    const char* format;
    bool valid;
    const char* signature;
};

const BoundCase kBoundCases[] = {
    {"%999d", true, "d"},        {"%-999s|%0.999d", true, "s d"},
    {"%0000000005d", true, "d"},  // zeros before the width are flags
    {"%1000d", false, ""},       {"%9999999d.%0.2d", false, ""},
    {"%.1000s", false, ""},      {"%d.%0.0002d", false, ""},  // four digits, whatever their value
    {"%99999999s", false, ""},   {"%999999999s", false, ""},
    {"%s%n", false, ""},         {"%hhn", false, ""},
};

TEST(FormsFormat, WidthsAndPrecisionsAreBounded)
{
    for (const BoundCase& c : kBoundCases) {
        std::string signature;
        EXPECT_EQ(ui::ConversionSignature(c.format, signature), c.valid) << c.format;
        if (c.valid) {
            EXPECT_EQ(signature, c.signature) << c.format;
        }
    }
    EXPECT_FALSE(ui::SameConversions("Kestrova Manager %9999999d.%0.2d", "Kestrova Manager %d.%0.2d"));
    EXPECT_TRUE(ui::SameConversions("Kestrova Manager %999d.%0.2d", "Kestrova Manager %d.%0.2d"));
}

TEST(FormsFormat, TheFormatterRefusesWhatTheCheckRefuses)
{
    EXPECT_EQ(ui::Format("%999d", 5).size(), 999u);
    EXPECT_EQ(ui::Format("%1000d", 5), "");
    EXPECT_EQ(ui::Format("[%.1000s]", "abc"), "");
    EXPECT_EQ(ui::Format("%s and %d", "one", 2), "one and 2");
}

}  // namespace
