// The defaults of the settings record.
#include "Usettingsvalues.h"
#include "Wcommon.h"

#include <cstring>

namespace {

// Rounds down to a multiple of `step` in unsigned arithmetic, as the icon grid does.
DWORD RoundDown(DWORD value, DWORD step)
{
    return step != 0 ? value / step * step : value;
}

}  // namespace

IconMargins ComputeIconMargins(int iconSpacingX, int iconSpacingY, int screenWidth, int screenHeight,
                               const RECT& workArea)
{
    const DWORD w = static_cast<DWORD>(iconSpacingX);
    const DWORD h = static_cast<DWORD>(iconSpacingY);
    const DWORD lastColumn = RoundDown(static_cast<DWORD>(screenWidth) - w, w);
    const DWORD lastRow = RoundDown(static_cast<DWORD>(screenHeight) - h, h);

    IconMargins margins;
    margins.dwLeft = w - static_cast<DWORD>(workArea.left) - 3;
    margins.dwTop = h - static_cast<DWORD>(workArea.top) - 5;
    margins.dwRight = static_cast<DWORD>(workArea.right) - lastColumn - 3;
    margins.dwBottom = static_cast<DWORD>(workArea.bottom) - lastRow;
    return margins;
}

void SetRegistryDefaults(HWND window, RegistryRecord* record, bool computeMargins, bool calendarShow)
{
    if (!record) return;
    // Padding between the members is zero too, so records compare and copy cleanly.
    std::memset(record, 0, sizeof(*record));

    SettingDefaultInputs inputs{};
    inputs.fontName = window ? FindDefaultFont(window) : "Arial";
    inputs.calendarShow = calendarShow;
    inputs.computeMargins = computeMargins;
    if (computeMargins) {
        RECT work;
        GetWorkScreenSize(work);
        const IconMargins margins =
            ComputeIconMargins(::GetSystemMetrics(SM_CXICONSPACING), ::GetSystemMetrics(SM_CYICONSPACING),
                               ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), work);
        inputs.margins[0] = margins.dwLeft;
        inputs.margins[1] = margins.dwRight;
        inputs.margins[2] = margins.dwTop;
        inputs.margins[3] = margins.dwBottom;
    }
    for (const SettingSection* section : kSettingSections) {
        SetSectionDefaults(*section, reinterpret_cast<BYTE*>(record) + section->partOffset, inputs);
    }
}
