// Loads the progress texts in a fresh process (they load once per process) and prints them, one
// "name=text" line each, plus the two format texts as the engine reports them.
//   interface_texts_probe            load and print
//   interface_texts_probe reload     load, change gld_ReadingS in the registry, load again, print
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Fprogress.h"
#include "KvTestRegistry.h"
#include "UTxLog.h"
#include "Usync.h"
#include "Uregistryroot.h"

extern const CLogSettings g_LogSettings = {"KvApiProbe", "", false, 80, false, true, true};

namespace {
std::vector<std::string> g_Reported;

void __stdcall Collect(const char* text)
{
    g_Reported.push_back(text ? text : "(null)");
}

void WriteReadingText(const char* text)
{
    testsupport::WriteRegValue(HKEY_LOCAL_MACHINE, KV_REG_ROOT "\\Language", "gld_ReadingS", REG_SZ,
                               testsupport::TextData(text));
}
}  // namespace

int main(int argc, char** argv)
{
    const bool reload = argc > 1 && std::strcmp(argv[1], "reload") == 0;
    CSynchronizationGuard lock;
    LoadProgressTexts();
    if (reload) {
        WriteReadingText("Changed %s");
        LoadProgressTexts();
    }
    static const char* const kNames[gld_Count] = {
        "gld_ReadingS",           "gld_ResamplingDDDD",    "gld_CalculatingColor",     "gld_Saving",
        "gld_ErrorNotConfigured", "gld_ErrorFileNotExist", "gld_ErrorCannotReadWrite", "gld_CheckingChanges",
        "gld_RandomSelection",    "gld_ErrorNoImageFound", "gld_SelectedImage",        "gld_RotatingImage"};
    for (int i = 0; i < gld_Count; ++i)
        std::printf("%s=%s\n", kNames[i], ProgressText(static_cast<ProgressTextId>(i)));
    SetProgressProc(&Collect);
    ReportProgressF(gld_ReadingS, "C:\\Photos\\a.jpg");
    ReportProgressF(gld_ResamplingDDDD, 4000, 3000, 1024, 768);
    ReportProgressF(gld_Saving, "ignored");
    for (const std::string& text : g_Reported)
        std::printf("reported=%s\n", text.c_str());
    return 0;
}
