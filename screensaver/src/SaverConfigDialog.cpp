// The configuration dialog the platform shows for "/c": the period between images and four
// switches of \ScreenSaver.
#include "SaverResources.h"
#include "SaverSettings.h"
#include "SaverTexts.h"
#include "UTxLog.h"

#include <windows.h>

#include <scrnsave.h>

#include <cstdio>

namespace {

struct SwitchControl {
    int id;
    SaverTextId text;
    BYTE ScreenSaverSettings::*value;
};
const SwitchControl kSwitches[] = {
    {IDC_RANDOM_SELECTION, glo_RandomSelection, &ScreenSaverSettings::bRandomSelection},
    {IDC_SHOW_FILE_NAME, glo_ShowFileName, &ScreenSaverSettings::bShowFileName},
    {IDC_APPEND_DATE, glo_AppendDate, &ScreenSaverSettings::bFileNameAddDate},
    {IDC_INTERPOLATION, glo_Interpolation, &ScreenSaverSettings::bInterpolation},
};

// The field's text holds at most this many characters; only the first three count.
constexpr int kPeriodFieldSize = 19;

void InitDialog(HWND dialog)
{
    LogText("--- ScreenSaverConfigureDialog - WM_INITDIALOG ---");
    LoadSaverTextDefaults();
    ReadSaverTextsFromRegistry();
    ScreenSaverSettings settings;
    ReadSaverDialogSettings(settings);
    const DWORD period = settings.dwExchangePeriod;

    ::SetWindowTextA(dialog, SaverText(glo_Caption));
    for (const SwitchControl& box : kSwitches)
        ::SetDlgItemTextA(dialog, box.id, SaverText(box.text));
    ::SetDlgItemTextA(dialog, IDC_PERIOD_LABEL, SaverText(glo_ExchangePeriod));
    ::SetDlgItemTextA(dialog, IDC_SECONDS_LABEL, SaverText(glo_Seconds));
    ::SetDlgItemTextA(dialog, IDOK, SaverText(glx_Ok));
    ::SetDlgItemTextA(dialog, IDCANCEL, SaverText(glx_Cancel));

    char number[16];
    std::snprintf(number, sizeof(number), "%d", static_cast<int>(period));
    ::SetDlgItemTextA(dialog, IDC_PERIOD_EDIT, number);
    // What the field showed is what an unreadable entry falls back to on OK.
    ::SetWindowLongPtrA(dialog, DWLP_USER, static_cast<LONG_PTR>(period));
    for (const SwitchControl& box : kSwitches)
        ::CheckDlgButton(dialog, box.id, settings.*box.value ? BST_CHECKED : BST_UNCHECKED);
}

void StoreSettings(HWND dialog)
{
    ScreenSaverSettings settings = {};
    for (const SwitchControl& box : kSwitches)
        settings.*box.value = ::IsDlgButtonChecked(dialog, box.id) == BST_CHECKED ? 1 : 0;
    char text[kPeriodFieldSize] = {};
    ::GetDlgItemTextA(dialog, IDC_PERIOD_EDIT, text, sizeof(text));
    const DWORD shown = static_cast<DWORD>(::GetWindowLongPtrA(dialog, DWLP_USER));
    settings.dwExchangePeriod = PeriodFromFieldText(text, shown);
    WriteSaverDialogSettings(settings);
}

}  // namespace

extern "C" WINBOOL WINAPI ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            StoreSettings(dialog);
            ::EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            ::EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
