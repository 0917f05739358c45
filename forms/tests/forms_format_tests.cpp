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

struct StandInCase {
    const char* text;
    const char* reference;
    bool accepted;
};

// A translation stands in for a default when each conversion takes the default's argument and
// prints it alike; anything else would read arguments that are not there or show them otherwise.
const StandInCase kStandInCases[] = {
    {"%i x %i", "%dx%d", true},   {"%d x %i", "%dx%d", true}, {"[%X]", "[%x]", true},
    {"[%0.6X]", "[%0.6x]", true}, {"%li", "%ld", true},       {"%u", "%u", true},
    {"%s: %i", "%s: %d", true},   {"%u", "%d", false},  // a negative number would print otherwise
    {"%d", "%u", false},          {"%i", "%u", false},        {"%x", "%d", false},
    {"%X", "%i", false},          {"%o", "%d", false},        {"%i", "%s", false},
    {"%hi", "%d", false},  // another argument size
    {"%i %i", "%d", false},       {"%i%n", "%d", false},      {"%1000i", "%d", false},
    {"%.1000X", "%x", false},     {"%ix", "%dx", true},  // a letter after the conversion is plain text
};

TEST(FormsFormat, ConversionsThatPrintTheSameArgumentAlikeStandIn)
{
    for (const StandInCase& c : kStandInCases)
        EXPECT_EQ(ui::SameConversions(c.text, c.reference), c.accepted) << c.text << " for " << c.reference;
}

TEST(FormsFormat, TheFormatterRefusesWhatTheCheckRefuses)
{
    EXPECT_EQ(ui::Format("%999d", 5).size(), 999u);
    EXPECT_EQ(ui::Format("%1000d", 5), "");
    EXPECT_EQ(ui::Format("[%.1000s]", "abc"), "");
    EXPECT_EQ(ui::Format("%s and %d", "one", 2), "one and 2");
}

}  // namespace
