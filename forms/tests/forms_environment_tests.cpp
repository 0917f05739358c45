// What every program and the test prefix give the forms: the design fonts, and one manifest in every
// built program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KvTestSupport.h"
#include "UTxUtils.h"
#include "UiGraphics.h"

namespace {

struct FontFacts {
    std::string face;
    int height = 0;
};

FontFacts Measure(const char* face, int height)
{
    ui::FontSpec spec;
    spec.face = face;
    spec.height = height;
    GdiObject font = spec.Create();
    MemDC dc(::CreateCompatibleDC(nullptr));
    SelectGuard selected(dc.get(), font.get());
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc.get(), &metrics);
    char name[LF_FACESIZE] = "";
    ::GetTextFaceA(dc.get(), sizeof name, name);
    return FontFacts{name, static_cast<int>(metrics.tmHeight)};
}

TEST(FormsEnvironment, DesignFontsExistInThePrefix)
{
    const FontFacts sansSerif = Measure("MS Sans Serif", -11);
    EXPECT_EQ(sansSerif.face, "MS Sans Serif");
    EXPECT_EQ(sansSerif.height, 13);
    EXPECT_EQ(Measure("Tahoma", -11).face, "Tahoma");
    EXPECT_EQ(Measure("Marlett", -11).face, "Marlett") << "the caption buttons' symbols";
}

TEST(FormsEnvironment, EveryProgramCarriesTheManifest)
{
    const std::vector<std::string> programs = testsupport::ProgramsInList(KV_PROGRAM_LIST);
    ASSERT_GT(programs.size(), 5u);
    for (const std::string& program : programs) {
        if (!testsupport::PathExists(program)) continue;  // not built in this tree (excluded from all)
        SCOPED_TRACE(program);
        const std::string manifest = testsupport::ProgramManifest(program);
        EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
                  std::string::npos);
        EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    }
}

}  // namespace
