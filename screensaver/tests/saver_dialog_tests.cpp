// The configuration dialog from the program's own resource, made in this process so that its
// picture can be kept and probed.
#include "KvTestSupport.h"
#include "SaverResources.h"
#include "saver_pictures.h"
#include "saver_support.h"

#include <windows.h>

#include <scrnsave.h>

#include <gtest/gtest.h>

#include <string>

using namespace savertest;

namespace {

constexpr COLORREF kConfigureIconLand = RGB(0xD0, 0x80, 0x00);  // the landscape of icon 104

}  // namespace

TEST(SaverDialog, ShowsIconTextsAndValues)
{
    ClearAll();
    WriteDword(HKEY_CURRENT_USER, Key("ScreenSaver"), "ExchangePeriod", 25);
    WriteText(HKEY_LOCAL_MACHINE, kLanguageKey, "glo_Seconds", "sekund");
    RegisterDialogClasses(::GetModuleHandleA(nullptr));
    const HWND dialog = ::CreateDialogParamA(
        ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(DLG_SCRNSAVECONFIGURE), nullptr,
        reinterpret_cast<DLGPROC>(reinterpret_cast<void*>(&ScreenSaverConfigureDialog)), 0);
    ASSERT_TRUE(dialog);
    ::ShowWindow(dialog, SW_SHOW);
    ::UpdateWindow(dialog);
    testsupport::PumpMessages();

    char text[32] = {};
    ::GetDlgItemTextA(dialog, IDC_PERIOD_EDIT, text, sizeof(text));
    EXPECT_STREQ(text, "25");
    ::GetDlgItemTextA(dialog, IDC_SECONDS_LABEL, text, sizeof(text));
    EXPECT_STREQ(text, "sekund");
    EXPECT_EQ(::GetWindowLongA(::GetDlgItem(dialog, IDC_PERIOD_EDIT), GWL_STYLE) & ES_NUMBER, ES_NUMBER);

    const Picture picture = Capture(dialog);
    SaveShot(Capture(dialog, true), "saver_configure_dialog.bmp");
    // The icon sits in the top-left corner: 5, 5 dialog units, 32 pixels.
    RECT icon = {5, 5, 20, 20};
    ::MapDialogRect(dialog, &icon);
    icon.right = icon.left + 32;
    icon.bottom = icon.top + 32;
    EXPECT_GT(picture.CountIn(icon, kConfigureIconLand), 20) << "icon 104 not shown";
    ::DestroyWindow(dialog);
    ClearAll();
}
