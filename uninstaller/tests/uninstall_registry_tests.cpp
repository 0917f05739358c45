// The registry helpers and the texts, checked against values written and read back from outside.
#include "Uinstallvalues.h"
#include "Uuninstlang.h"
#include "Uuninstreg.h"
#include "uninstall_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using uninstalltest::MachineKeyExists;
using uninstalltest::MachineValueExists;
using uninstalltest::SetMachineValue;

constexpr const char* kTestRunValue = "Kestrova Test Run";
constexpr const char* kTestEntry = "Kestrova Test Entry";
const std::string kTestEntryKey = std::string(kUninstallKey) + kTestEntry;
const std::string kNeighbourKey = std::string(kUninstallKey) + "Kestrova Test Neighbour";

class RegistryHelpers : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean()
    {
        DeleteRegistryValue(HKEY_LOCAL_MACHINE, kRunKey, kTestRunValue);
        DeleteRegistryValue(HKEY_LOCAL_MACHINE, kRunKey, "Kestrova Test Number");
        uninstalltest::DeleteMachineKey((kTestEntryKey + "\\Sub").c_str());
        uninstalltest::DeleteMachineKey(kTestEntryKey.c_str());
        uninstalltest::DeleteMachineKey(kNeighbourKey.c_str());
    }
};

TEST_F(RegistryHelpers, RunValuesOfAnyTypeExistAndGo)
{
    SetMachineValue(kRunKey, kTestRunValue, REG_SZ, std::string());  // empty data
    SetMachineValue(kRunKey, "Kestrova Test Number", REG_DWORD, std::string(4, '\1'));
    EXPECT_TRUE(RunValueExists(kTestRunValue));
    EXPECT_TRUE(RunValueExists("Kestrova Test Number"));
    EXPECT_FALSE(RunValueExists("Kestrova Test Missing"));
    EXPECT_FALSE(RegistryValueExists(HKEY_LOCAL_MACHINE, "Software\\Kestrova No Such Key", kTestRunValue));

    EXPECT_TRUE(DeleteRunValue(kTestRunValue));
    EXPECT_FALSE(MachineValueExists(kRunKey, kTestRunValue));
    EXPECT_TRUE(MachineValueExists(kRunKey, "Kestrova Test Number"));
    EXPECT_FALSE(DeleteRunValue(kTestRunValue));
}

TEST_F(RegistryHelpers, OnlyTheNamedUninstallEntryGoes)
{
    SetMachineValue(kTestEntryKey.c_str(), "DisplayName", REG_SZ, std::string("Test", 5));
    SetMachineValue(kNeighbourKey.c_str(), "DisplayName", REG_SZ, std::string("Other", 6));
    EXPECT_TRUE(DeleteUninstallKey(kTestEntry));
    EXPECT_FALSE(MachineKeyExists(kTestEntryKey.c_str()));
    EXPECT_TRUE(MachineKeyExists(kNeighbourKey.c_str()));
    EXPECT_FALSE(DeleteUninstallKey(kTestEntry));

    // A key with a subkey stays, as on Windows NT.
    SetMachineValue((kTestEntryKey + "\\Sub").c_str(), "x", REG_SZ, std::string("x", 2));
    EXPECT_FALSE(DeleteUninstallKey(kTestEntry));
    EXPECT_TRUE(MachineKeyExists(kTestEntryKey.c_str()));
}

TEST_F(RegistryHelpers, AnEmptyNameNeverAimsAtAWholeKey)
{
    SetMachineValue(kNeighbourKey.c_str(), "DisplayName", REG_SZ, std::string("Other", 6));
    for (const char* name : {"", "  ", "..\\Uninstall", "\\"}) {
        EXPECT_FALSE(DeleteUninstallKey(name)) << "[" << name << "]";
        EXPECT_FALSE(DeleteRunValue(name)) << "[" << name << "]";
    }
    EXPECT_TRUE(MachineKeyExists(kNeighbourKey.c_str()));
    EXPECT_TRUE(MachineKeyExists(kRunKey));
}

class UninstallTexts : public ::testing::Test {
protected:
    void SetUp() override { uninstalltest::DeleteMachineKey(kLanguageKey); }
    void TearDown() override { uninstalltest::DeleteMachineKey(kLanguageKey); }
};

TEST_F(UninstallTexts, WithoutTheLanguageKeyAllAreTheEnglishDefaults)
{
    LoadUninstallTextDefaults();
    ReadUninstallTextsFromRegistry();
    for (int i = 0; i < kUninstallTextCount; ++i) {
        const auto id = static_cast<UninstallTextId>(i);
        EXPECT_STREQ(UninstallText(id), UninstallDefaultText(id)) << UninstallTextName(id);
    }
    EXPECT_STREQ(UninstallText(glu_Caption), "Kestrova Uninstall Program");
    EXPECT_STREQ(UninstallText(glu_CannotRemoveUninstall), "Cannot remove uninstall info from Registry.");
}

TEST_F(UninstallTexts, TranslationsOfTheRightTypeAndArguments)
{
    SetMachineValue(kLanguageKey, "glu_Start", REG_SZ, std::string("Starten", 8));
    SetMachineValue(kLanguageKey, "glu_Cancel", REG_DWORD, std::string(4, '\0'));
    SetMachineValue(kLanguageKey, "glu_Close", REG_EXPAND_SZ, std::string("%WINDIR% zu", 12));
    // Stored without its terminator: taken up to where the registry says the data ends.
    SetMachineValue(kLanguageKey, "glu_Complete", REG_SZ, std::string("Fertig"));
    SetMachineValue(kLanguageKey, "glu_RemovedFileS", REG_SZ, std::string("Datei %s entfernt", 18));
    // A format that would read two arguments, or write through %n, keeps the English text.
    SetMachineValue(kLanguageKey, "glu_CannotFindFileS", REG_SZ, std::string("%s %s", 6));
    SetMachineValue(kLanguageKey, "glu_FileModifiedS", REG_SZ, std::string("%n", 3));
    // Too long for the 512-byte buffer.
    SetMachineValue(kLanguageKey, "glu_Usage", REG_SZ, std::string(600, 'u') + '\0');

    LoadUninstallTextDefaults();
    ReadUninstallTextsFromRegistry();
    EXPECT_STREQ(UninstallText(glu_Start), "Starten");
    EXPECT_STREQ(UninstallText(glu_Cancel), "Cancel");
    EXPECT_STREQ(UninstallText(glu_Close), "%WINDIR% zu");
    EXPECT_STREQ(UninstallText(glu_Complete), "Fertig");
    EXPECT_EQ(FormatUninstallText(glu_RemovedFileS, "C:\\a.exe"), "Datei C:\\a.exe entfernt");
    EXPECT_EQ(FormatUninstallText(glu_CannotFindFileS, "C:\\a.exe"), "File C:\\a.exe not found.");
    EXPECT_EQ(FormatUninstallText(glu_FileModifiedS, "C:\\a.jpg"),
              "File C:\\a.jpg was modified - not deleted.");
    EXPECT_STREQ(UninstallText(glu_Usage), UninstallDefaultText(glu_Usage));
    // A text that is not a format is shown as it is, '%' and all.
    EXPECT_EQ(FormatUninstallText(glu_Close, "ignored"), "%WINDIR% zu");
}

TEST_F(UninstallTexts, ProgressLinesAreBounded)
{
    LoadUninstallTextDefaults();
    const std::string path = "C:\\" + std::string(65000, 'p');
    const std::string line = FormatUninstallText(glu_RemovedFileS, path.c_str());
    EXPECT_EQ(line.size(), kMaxProgressLine);
    EXPECT_EQ(line.compare(0, 16, "Deleted file C:\\"), 0);
}

}  // namespace
