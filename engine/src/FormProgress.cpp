#include "FormProgress.h"

namespace {
ui::FontSpec ProgressFont()
{
    ui::FontSpec font;
    font.face = "MS Sans Serif";
    font.height = -11;
    font.charset = DEFAULT_CHARSET;
    return font;
}
}  // namespace

TFormProgress::TFormProgress()
{
    borderStyle = ui::BorderStyle::Dialog;
    systemMenu = false;
    minimizeBox = false;
    maximizeBox = false;
    // Designed two pixels high under a dialog caption; FormShow turns the caption into client area.
    clientWidth = 556;
    clientHeight = 2;
    color = ui::Color::System(COLOR_INFOBK);
    font = ProgressFont();
    onShow = [this](ui::Form& sender) { FormShow(sender); };

    LabelProgress.left = 2;
    LabelProgress.top = 5;
    LabelProgress.width = 553;
    LabelProgress.height = 13;
    LabelProgress.alignment = ui::Alignment::Center;
    LabelProgress.parentColor = false;
    LabelProgress.color = ui::Color::System(COLOR_INFOBK);
    LabelProgress.parentFont = false;
    LabelProgress.font = ProgressFont();
    LabelProgress.fontColor = ui::Color::System(COLOR_INFOTEXT);
}

bool TFormProgress::Create(const ui::WindowClass& windowClass)
{
    if (!Form::Create(windowClass)) return false;
    if (!LabelProgress.Create(*this)) {
        Destroy();
        return false;
    }
    return true;
}

void TFormProgress::FormShow(ui::Form&)
{
    // Without the caption the outer size stays, so the caption's height becomes client area and
    // holds the label.
    SetStyle(GetStyle() & ~WS_CAPTION);
    const RECT outer = GetWindowRect();
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    SetPos(HWND_TOP, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
           (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_FRAMECHANGED);
}
