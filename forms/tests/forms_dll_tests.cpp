// A DLL that uses the layer shows a form and is freed, three times in one process.
#include <gtest/gtest.h>

#include <string>

#include "KvTestSupport.h"

namespace {

TEST(FormsDll, ShowsAFormAndIsFreedThreeTimes)
{
    const std::string path = testsupport::ExeFolder() + "forms_test_dll.dll";
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        HMODULE dll = ::LoadLibraryA(path.c_str());
        ASSERT_NE(dll, nullptr) << ::GetLastError();
        auto show = reinterpret_cast<int (*)()>(::GetProcAddress(dll, "ShowFormOnce"));
        ASSERT_NE(show, nullptr);
        EXPECT_EQ(show(), 1);
        WNDCLASSEXA info = {};
        info.cbSize = sizeof info;
        EXPECT_TRUE(::GetClassInfoExA(dll, "KvFormsTestDllForm", &info)) << "registered while loaded";
        ASSERT_TRUE(::FreeLibrary(dll));
        EXPECT_EQ(::GetModuleHandleA("forms_test_dll.dll"), nullptr) << "really unloaded";
        EXPECT_FALSE(::GetClassInfoExA(dll, "KvFormsTestDllForm", &info)) << "the class went with it";
    }
}

}  // namespace
