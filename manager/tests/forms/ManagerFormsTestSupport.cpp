#include "ManagerFormsTestSupport.h"

#include <gtest/gtest.h>

#include "KvTestSupport.h"
#include "UTxLog.h"
#include "UiApp.h"
#include "UiDialogs.h"
#include "Umanaglang.h"

namespace mftest {

namespace {

std::vector<std::string> g_boxes;

class QuietDialogs : public ::testing::Environment {
public:
    void SetUp() override
    {
        ui::App::Init("Kestrova Manager");
        LoadManagerTextDefaults();
        ui::TheDialogs().messageBox = [](HWND, const std::string& text, const std::string& caption, UINT) {
            g_boxes.push_back(caption + ": " + text);
            return IDOK;
        };
        ui::TheDialogs().shellOpen = [](HWND, const std::string& path) {
            g_boxes.push_back("open: " + path);
            return true;
        };
    }
};

const auto* const g_quietDialogs = ::testing::AddGlobalTestEnvironment(new QuietDialogs);

}  // namespace

std::vector<std::string> TakeMessageBoxes()
{
    std::vector<std::string> boxes;
    boxes.swap(g_boxes);
    return boxes;
}

std::vector<std::string> NewLogLines()
{
    static size_t read = std::string::npos;  // the first call skips what earlier runs left
    g_Log.CloseFile();
    const std::string bytes =
        testsupport::ReadFileBytes(testsupport::ExeFolder() + "manager_forms_tests.log");
    g_Log.OpenFile(nullptr);
    if (read == std::string::npos) read = bytes.size();
    if (bytes.size() < read) read = 0;
    std::vector<std::string> lines;
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

bool AnyContains(const std::vector<std::string>& lines, const std::string& text)
{
    for (const std::string& line : lines)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace mftest
