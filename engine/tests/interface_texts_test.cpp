// Progress texts: the English defaults, the translations of HKLM \Language, and which of those may
// stand in for a format. Texts load once per process, so each registry case runs a fresh probe.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "UiFormat.h"
#include "interface_support.h"

namespace {

using interface_test::LanguageValues;
using interface_test::ProgramRun;
using interface_test::RunProgram;

struct SignatureCase {
    const char* format;
    bool valid;
    const char* signature;
};

const SignatureCase kSignatureCases[] = {
    {"Reading %s...", true, "s"},
    {"Resampling from %dx%d to %dx%d...", true, "d d d d"},
    {"Saving to BMP file...", true, ""},
    {"100%% done", true, ""},
    {"%5.2s|%-08d|%+x", true, "s d x"},
    {"%*d", true, "* d"},
    {"%.*s", true, "* s"},
    {"%ld %I64d %hs", true, "ld I64d hs"},
    {"%s%s%n", false, ""},
    {"%n", false, ""},
    {"ends in %", false, ""},
    {"%1$s", false, ""},
    {"%y", false, ""},
};

TEST(InterfaceTexts, ConversionSignatures)
{
    for (const SignatureCase& c : kSignatureCases) {
        std::string signature;
        EXPECT_EQ(ui::ConversionSignature(c.format, signature), c.valid) << c.format;
        if (c.valid) {
            EXPECT_EQ(signature, c.signature) << c.format;
        }
    }
    std::string signature;
    EXPECT_FALSE(ui::ConversionSignature(nullptr, signature));
}

TEST(InterfaceTexts, BoundedFormatTakesAnyLength)
{
    const std::string path(1000, 'p');
    EXPECT_EQ(ui::Format("Reading %s...", path.c_str()), "Reading " + path + "...");
    EXPECT_EQ(ui::Format("%s", ""), "");
}

struct ProbeTexts {
    std::map<std::string, std::string> texts;  // value name -> text in force
    std::vector<std::string> reported;         // ReadingS, ResamplingDDDD, Saving as reported
};

ProbeTexts RunTextsProbe(const char* arguments = "")
{
    ProbeTexts result;
    const ProgramRun run = RunProgram("interface_texts_probe.exe", arguments);
    EXPECT_TRUE(run.started && run.finished && run.exitCode == 0) << run.output;
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (line.compare(0, eq, "reported") == 0)
            result.reported.push_back(line.substr(eq + 1));
        else
            result.texts[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return result;
}

const char* const kReadingDefault = "Reading %s...";
const char* const kReadingReported = "Reading C:\\Photos\\a.jpg...";

struct RegistryCase {
    const char* name;
    void (*setUp)(LanguageValues& values);
    const char* valueName;
    std::string text;      // the text in force afterwards
    int reportedIndex;     // -1, or which reported line to compare
    std::string reported;  // that line
};

const std::vector<RegistryCase>& RegistryCases()
{
    static const std::vector<RegistryCase> cases = {
        {"valid translation is used", [](LanguageValues& v) { v.SetText("gld_ReadingS", "Lese %s ..."); },
         "gld_ReadingS", "Lese %s ...", 0, "Lese C:\\Photos\\a.jpg ..."},
        {"valid translation of the four numbers",
         [](LanguageValues& v) { v.SetText("gld_ResamplingDDDD", "Skaliere %dx%d auf %dx%d"); },
         "gld_ResamplingDDDD", "Skaliere %dx%d auf %dx%d", 1, "Skaliere 4000x3000 auf 1024x768"},
        {"REG_DWORD keeps the default", [](LanguageValues& v) { v.SetDword("gld_ReadingS", 7); },
         "gld_ReadingS", kReadingDefault, 0, kReadingReported},
        {"600 characters keep the default",
         [](LanguageValues& v) { v.SetText("gld_ReadingS", std::string(600, 'x') + "%s"); }, "gld_ReadingS",
         kReadingDefault, 0, kReadingReported},
        {"%s%s%n keeps the default", [](LanguageValues& v) { v.SetText("gld_ReadingS", "%s%s%n"); },
         "gld_ReadingS", kReadingDefault, 0, kReadingReported},
        {"a number where a text goes keeps the default",
         [](LanguageValues& v) { v.SetText("gld_ReadingS", "Lese %d"); }, "gld_ReadingS", kReadingDefault, 0,
         kReadingReported},
        {"too few numbers keep the default",
         [](LanguageValues& v) { v.SetText("gld_ResamplingDDDD", "Skaliere auf %dx%d"); },
         "gld_ResamplingDDDD", "Resampling from %dx%d to %dx%d...", 1,
         "Resampling from 4000x3000 to 1024x768..."},
        {"a text that is no format is shown as written",
         [](LanguageValues& v) { v.SetText("gld_Saving", "Speichere 100% %s %n"); }, "gld_Saving",
         "Speichere 100% %s %n", 2, "Speichere 100% %s %n"},
        {"REG_EXPAND_SZ is taken unexpanded",
         [](LanguageValues& v) { v.SetExpandText("gld_SelectedImage", "Bild in %TEMP%:"); },
         "gld_SelectedImage", "Bild in %TEMP%:", -1, ""},
        {"an unterminated text does not pick up the tail of a longer one before it",
         [](LanguageValues& v) {
             v.SetText("gld_CalculatingColor", "Hintergrundfarbe wird berechnet, bitte warten...");
             v.SetUnterminated("gld_Saving", "Speichern");
         },
         "gld_Saving", "Speichern", 2, "Speichern"},
        {"511 characters fill the buffer and are kept whole",
         [](LanguageValues& v) { v.SetText("gld_CheckingChanges", std::string(511, 'c')); },
         "gld_CheckingChanges", std::string(511, 'c'), -1, ""},
        {"512 characters do not fit and keep the default",
         [](LanguageValues& v) { v.SetText("gld_CheckingChanges", std::string(512, 'c')); },
         "gld_CheckingChanges", "Checking folders for changes...", -1, ""},
        {"512 characters stored without their zero fill the buffer and keep their first 511",
         [](LanguageValues& v) { v.SetUnterminated("gld_CheckingChanges", std::string(512, 'c')); },
         "gld_CheckingChanges", std::string(511, 'c'), -1, ""},
        {"an empty text is a translation too", [](LanguageValues& v) { v.SetText("gld_RotatingImage", ""); },
         "gld_RotatingImage", "", -1, ""},
    };
    return cases;
}

TEST(InterfaceTexts, DefaultsWithoutTranslations)
{
    LanguageValues values;
    const ProbeTexts probe = RunTextsProbe();
    EXPECT_EQ(probe.texts.size(), 12u);
    EXPECT_EQ(probe.texts.at("gld_ReadingS"), kReadingDefault);
    EXPECT_EQ(probe.texts.at("gld_ErrorNoImageFound"), "ERROR: No image matching criteria found.");
    EXPECT_EQ(probe.texts.at("gld_RotatingImage"), "Rotating image...");
    ASSERT_EQ(probe.reported.size(), 3u);
    EXPECT_EQ(probe.reported[0], kReadingReported);
    EXPECT_EQ(probe.reported[1], "Resampling from 4000x3000 to 1024x768...");
    EXPECT_EQ(probe.reported[2], "Saving to BMP file...");
}

TEST(InterfaceTexts, TranslationsFromTheRegistry)
{
    for (const RegistryCase& c : RegistryCases()) {
        LanguageValues values;
        c.setUp(values);
        const ProbeTexts probe = RunTextsProbe();
        ASSERT_EQ(probe.texts.count(c.valueName), 1u) << c.name;
        EXPECT_EQ(probe.texts.at(c.valueName), c.text) << c.name;
        if (c.reportedIndex >= 0) {
            ASSERT_GT(probe.reported.size(), static_cast<size_t>(c.reportedIndex)) << c.name;
            EXPECT_EQ(probe.reported[c.reportedIndex], c.reported) << c.name;
        }
        // One bad value spoils no other text.
        EXPECT_EQ(probe.texts.at("gld_ErrorFileNotExist"), "ERROR: File does not exist:") << c.name;
    }
}

TEST(InterfaceTexts, ReadOnceEvenWhenTheRegistryChanges)
{
    LanguageValues values;
    values.SetText("gld_ReadingS", "Erst %s");
    EXPECT_EQ(RunTextsProbe("reload").texts.at("gld_ReadingS"), "Erst %s");
}

TEST(InterfaceTexts, ReadOnceAlsoWhenTheFirstLoadFoundNoKey)
{
    LanguageValues values;
    if (!values.RemoveKey()) GTEST_SKIP() << "the \\Language key holds values of other programs";
    values.Track("gld_ReadingS");  // the probe writes it after its first load
    EXPECT_EQ(RunTextsProbe("reload").texts.at("gld_ReadingS"), kReadingDefault);
}

}  // namespace
