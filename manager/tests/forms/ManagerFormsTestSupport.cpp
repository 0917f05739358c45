#include "ManagerFormsTestSupport.h"

#include <gtest/gtest.h>

#include "UiApp.h"
#include "UiDialogs.h"
#include "Umanaglang.h"

using namespace manager;

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

}  // namespace mftest
