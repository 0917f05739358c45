#include "Fmain.h"

#include "UTxLog.h"
#include "UninstallLog.h"
#include "UninstallPlaces.h"
#include "UninstallWalk.h"
#include "Uuninstreg.h"

namespace {

constexpr int kClientWidth = 609;
constexpr int kClientHeight = 197;

ui::FontSpec BoldFont()
{
    ui::FontSpec font;
    font.weight = FW_BOLD;
    return font;
}

}  // namespace

TFormMain::TFormMain()
{
    borderStyle = ui::BorderStyle::Dialog;
    systemMenu = true;
    minimizeBox = true;
    maximizeBox = false;
    clientWidth = kClientWidth;
    clientHeight = kClientHeight;
    mainForm = true;
    onShow = [this](ui::Form&) { FormShow(); };

    PaintBox.SetBounds(0, 0, kClientWidth, kClientHeight);
    PaintBox.onPaint = [](ui::PaintBox&, HDC dc, const RECT& client) { PaintBoxPaint(dc, client); };

    LabelBye.SetBounds(16, 155, 473, 38);
    LabelBye.transparent = true;
    LabelBye.parentFont = false;
    LabelBye.font = BoldFont();
    LabelBye.fontColor = ui::Color::Rgb(RGB(255, 255, 0));
    LabelBye.visible = false;

    LabelNote.SetBounds(24, 64, 569, 73);
    LabelNote.transparent = true;
    LabelNote.parentFont = false;
    LabelNote.font = BoldFont();
    LabelNote.fontColor = ui::Color::Rgb(RGB(255, 255, 255));

    // Read-only, it takes the button face's colour from the system.
    MemoProgress.SetBounds(16, 16, 577, 129);
    MemoProgress.multiLine = true;
    MemoProgress.readOnly = true;
    MemoProgress.visible = false;

    ButtonStart.SetBounds(390, 156, 100, 25);
    ButtonStart.onClick = [this](ui::Button&) { ButtonStartClick(); };
    ButtonCancel.SetBounds(494, 156, 100, 25);
    ButtonCancel.isCancel = true;
    ButtonCancel.onClick = [this](ui::Button&) { ButtonCancelClick(); };
}

bool TFormMain::Create(const ui::WindowClass& windowClass)
{
    if (!Form::Create(windowClass)) return false;
    // Every control lies on the gradient, so all are its children; Start comes first in the tab order.
    if (!PaintBox.Create(*this)) return false;
    // The gradient must not paint over the controls that lie on it.
    PaintBox.SetStyle(PaintBox.GetStyle() | WS_CLIPCHILDREN);
    if (!LabelBye.Create(PaintBox, kIdLabelBye) || !LabelNote.Create(PaintBox, kIdLabelNote) ||
        !MemoProgress.Create(PaintBox, kIdMemoProgress) || !ButtonStart.Create(PaintBox, IDOK) ||
        !ButtonCancel.Create(PaintBox, IDCANCEL))
        return false;
    // Large installs give more progress than the edit's default limit of about 32 K characters.
    MemoProgress.SetMaxLength(0);
    const RECT outer = GetWindowRect();
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    SetPos(nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
           (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

COLORREF TFormMain::GradientColor(int band)
{
    return static_cast<COLORREF>(band) << 16;
}

int TFormMain::GradientBandHeight(int height)
{
    return height / 256 + 1;
}

void TFormMain::PaintBoxPaint(HDC dc, const RECT& client)
{
    const int band = GradientBandHeight(client.bottom - client.top);
    for (int i = 0; i < 256; ++i) {
        const GdiObject brush(::CreateSolidBrush(GradientColor(i)));
        const RECT area = {client.left, client.top + band * i, client.right, client.top + band * i + band};
        ::FillRect(dc, &area, static_cast<HBRUSH>(brush.get()));
    }
}

void TFormMain::FormShow()
{
    LoadUninstallTextDefaults();
    ReadUninstallTextsFromRegistry();
    SetText(UninstallText(glu_Caption));
    LabelNote.SetCaption(UninstallText(glu_Usage));
    ButtonStart.SetText(UninstallText(glu_Start));
    ButtonCancel.SetText(UninstallText(glu_Cancel));
    LoadInstallLog();
}

void TFormMain::LoadInstallLog()
{
    std::string path;
    m_sInstallFolder = UninstallFolder(parameters);
    switch (ReadInstallLog(m_sInstallFolder, m_Lines, path)) {
    case InstallLogState::Loaded:
        break;
    case InstallLogState::Missing:
        ShowLogFailure(glu_UninstallFileNotFoundS, path);
        break;
    case InstallLogState::Unreadable:
        ShowLogFailure(glu_CannotReadUninstallFileS, path);
        break;
    }
}

void TFormMain::ShowLogFailure(UninstallTextId text, const std::string& path)
{
    AddProgressLine(FormatUninstallText(text, path.c_str()));
    MemoProgress.SetVisible(true);
    LabelBye.SetCaption(UninstallText(glu_CannotUninstall));
    LabelBye.SetVisible(true);
    LabelNote.SetVisible(false);
    ButtonStart.SetVisible(false);
    ButtonCancel.SetText(UninstallText(glu_Close));
    // Without its log nothing is known to be this installation's, not even the uninstall entry: all
    // stays, and the entry still leads here once the log is back.
}

void TFormMain::AddProgressLine(const std::string& line)
{
    LogF("%s", line.c_str());
    MemoProgress.AppendLine(line);
    MemoProgress.RepaintNow();
}

void TFormMain::ButtonStartClick()
{
    LabelNote.SetVisible(false);
    MemoProgress.SetVisible(true);
    ButtonStart.SetVisible(false);
    ButtonCancel.SetText(UninstallText(glu_Close));
    ButtonCancel.SetEnabled(false);
    // The labels are transparent: what lay under the note must be painted again.
    PaintBox.RepaintNow();

    const ProgressSink progress = [this](const std::string& line) { AddProgressLine(line); };
    StopAgent(progress, [this] { MemoProgress.RepaintNow(); });
    const RemovalOutcome outcome = RunRemoval(m_Lines, PlacesOfInstallation(m_sInstallFolder), progress);
    LabelBye.SetCaption(ClosingLine(outcome));
    // The language texts serve every installation: they go with the registered one's shared pieces.
    if (outcome.sharedPiecesOurs) DeleteLanguageKey();
    LabelBye.SetVisible(true);
    ButtonCancel.SetEnabled(true);
}

std::string TFormMain::ClosingLine(const RemovalOutcome& outcome)
{
    // What stays matters most: files that could not go, then what the walk kept, then what it could
    // not know of, then what goes only at the restart.
    if (outcome.failed > 0)
        return FormatUninstallText(glu_NotRemovedS, std::to_string(outcome.failed).c_str());
    if (outcome.kept > 0) return FormatUninstallText(glu_ItemsKeptS, std::to_string(outcome.kept).c_str());
    if (outcome.logIncomplete) return UninstallText(glu_LogIncomplete);
    if (outcome.scheduled > 0)
        return FormatUninstallText(glu_LeftUntilRestartS, std::to_string(outcome.scheduled).c_str());
    return UninstallText(glu_Complete);
}

void TFormMain::ButtonCancelClick()
{
    Close();
}
