#include "SaverBlockedDisplay.h"

#include "UTxUtils.h"

int PaintBlockedDisplay(HWND window, int bandTop, const char* notice)
{
    const WindowDC dc(window);
    if (!dc) return bandTop;
    RECT client = {};
    ::GetClientRect(window, &client);
    ::FillRect(dc.get(), &client, static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH)));
    if (!notice || client.right - client.left < kNoticeMinWidth) return bandTop;

    ::SetTextColor(dc.get(), kNoticeTextColor);
    ::SetBkMode(dc.get(), TRANSPARENT);
    RECT band = {client.left, client.top + bandTop, client.right, client.top + bandTop + kNoticeBandHeight};
    ::DrawTextA(dc.get(), notice, -1, &band, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);

    bandTop += kNoticeBandStep;
    if (bandTop + kNoticeBandHeight > client.bottom - client.top) bandTop = 0;
    return bandTop;
}
