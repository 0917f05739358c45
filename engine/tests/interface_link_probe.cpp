// Links KvApi.dll through its import library, as the Manager does, and calls a few exports.
// Exit code 0 when they answered as expected; the number of the failed step otherwise.
#include "WpApi.h"

int main()
{
    if (WpApi_Cancelled()) return 1;
    WpApi_CancelCurrentOperation();
    if (!WpApi_Cancelled()) return 2;
    WpApi_HideProgressWindow();  // any locked export clears the cancel
    if (WpApi_Cancelled()) return 3;
    if (WpApi_GetAverageRgbValue(nullptr, nullptr) != 0x7F7F7F) return 4;
    if (LoadBmpFromJpgFileEx(nullptr, nullptr, nullptr, nullptr, FALSE, nullptr)) return 5;
    return 0;
}
