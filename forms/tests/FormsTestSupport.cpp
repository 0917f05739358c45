#include "FormsTestSupport.h"

#include <gtest/gtest.h>

#include "KvTestSupport.h"
#include "UTxLog.h"
#include "UiDialogs.h"

// A log file beside the program, so the tests can read the "!" lines back (appended to: it is
// closed for each reading, as the sink keeps it locked while open).
extern const CLogSettings g_LogSettings = {"FormsTests", "forms_tests.log", false, 200, false, false, false};

namespace formstest {

namespace {

class QuietDialogs : public ::testing::Environment {
public:
    void SetUp() override
    {
        ui::TheDialogs().messageBox = [](HWND, const std::string& text, const std::string& caption, UINT) {
            MessageBoxes().push_back(caption + ": " + text);
            return IDOK;
        };
    }
};

const auto* const g_quietDialogs = ::testing::AddGlobalTestEnvironment(new QuietDialogs);

}  // namespace

const ui::WindowClass& TestClass()
{
    static ui::WindowClass windowClass("KvFormsTest");
    windowClass.Register();
    return windowClass;
}

std::vector<std::string> NewLogLines()
{
    static size_t read = std::string::npos;  // the first call skips what earlier runs left
    g_Log.CloseFile();
    const std::string bytes = testsupport::ReadFileBytes(testsupport::ExeFolder() + "forms_tests.log");
    g_Log.OpenFile(nullptr);
    if (read == std::string::npos) read = bytes.size();
    std::vector<std::string> lines;
    if (bytes.size() < read) read = 0;
    size_t at = read;
    while (at < bytes.size()) {
        const size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) break;
        lines.push_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    read = at;
    return lines;
}

std::vector<std::string>& MessageBoxes()
{
    static std::vector<std::string> boxes;
    return boxes;
}

}  // namespace formstest
