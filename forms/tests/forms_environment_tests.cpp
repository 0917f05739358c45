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

// The manifest resource (RT_MANIFEST, id 1) of a program, read from its file.
std::string ManifestOf(const std::string& program)
{
    Library module(::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return "(not loadable)";
    HRSRC found = ::FindResourceA(module.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (!found) return std::string();
    HGLOBAL data = ::LoadResource(module.get(), found);
    const char* bytes = static_cast<const char*>(::LockResource(data));
    return bytes ? std::string(bytes, ::SizeofResource(module.get(), found)) : std::string();
}

TEST(FormsEnvironment, EveryProgramCarriesTheManifest)
{
    const std::string list = testsupport::ReadFileBytes(KV_PROGRAM_LIST);
    std::vector<std::string> programs;
    for (size_t at = 0; at < list.size();) {
        const size_t end = list.find('\n', at);
        const std::string line = list.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (!line.empty()) programs.push_back("Z:" + line);
        if (end == std::string::npos) break;
        at = end + 1;
    }
    ASSERT_GT(programs.size(), 5u);
    for (const std::string& program : programs) {
        if (!testsupport::PathExists(program)) continue;  // not built in this tree (excluded from all)
        SCOPED_TRACE(program);
        const std::string manifest = ManifestOf(program);
        EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
                  std::string::npos);
        EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    }
}

}  // namespace
