#include <string>

#include "FormPictures.h"
#include "Fsettings.h"
#include "ManagerEngine.h"
#include "ManagerForms.h"
#include "Umanaglang.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "UiApp.h"
#include "UiDialogs.h"
#include "Uinstallvalues.h"
#include "Wcommon.h"
#include "SettingsEditors.h"

namespace manager {

namespace {

constexpr int kPanelWidth = 350;
constexpr int kEditorLeft = 8;
constexpr int kEditorWidth = 330;
constexpr COLORREF kHelpTextColor = 4210752;  // dark grey
constexpr const char* kFontSampleText = "AaBbCcDdEeFfGgHhIiJjKkLlMmNnOoPpQqRrSsTtUuVvXxYyZz";

int Bottom(const ui::Control& control)
{
    return control.top + control.height;
}

const char* CharsetText(int charset)
{
    switch (charset) {
    case 0:
        return Text(glm_AnsiCharSet);
    case 1:
        return Text(glm_DefaultCharSet);
    case 2:
        return "Standard symbol set.";
    case 77:
        return "Macintosh characters.";
    case 128:
        return "Japanese shift-jis characters.";
    case 129:
        return "Korean characters (Wansung).";
    case 130:
        return "Korean characters (Johab).";
    case 134:
        return "Simplified Chinese characters.";
    case 136:
        return "Traditional Chinese characters.";
    case 161:
        return Text(glm_GreekCharSet);
    case 162:
        return Text(glm_TurkishCharSet);
    case 163:
        return "Vietnamese characters.";
    case 177:
        return Text(glm_HebrewCharSet);
    case 178:
        return Text(glm_ArabicCharSet);
    case 186:
        return Text(glm_BalticCharSet);
    case 204:
        return Text(glm_RussianCharSet);
    case 222:
        return "Thai characters.";
    case 238:
        return Text(glm_EastEuropeCharSet);
    case 255:
        return "OEM charset";
    default:
        return Text(glm_DefaultCharSet);
    }
}

std::string StyleText(BYTE style)
{
    std::string text;
    auto add = [&text](ManagerTextKey key) {
        if (!text.empty()) text += ", ";
        text += Text(key);
    };
    if (style & fsBold) add(glm_FontBold);
    if (style & fsItalic) add(glm_FontItalics);
    if (text.empty()) text = Text(glm_FontNormal);
    if (style & fsUnderline) add(glm_FontUnderlined);
    if (style & fsStrikeout) add(glm_FontStrikeout);
    return text;
}

int PixelsPerInch()
{
    WindowDC screen(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

ui::FontSpec ToFontSpec(const CSettingsFont& font)
{
    ui::FontSpec spec;
    spec.face = font.name.GetText();
    spec.height = -::MulDiv(font.size, PixelsPerInch(), 72);
    spec.charset = static_cast<BYTE>(font.charset);
    spec.weight = (font.style & fsBold) ? FW_BOLD : FW_NORMAL;
    spec.italic = (font.style & fsItalic) != 0;
    spec.underline = (font.style & fsUnderline) != 0;
    return spec;
}

void FromFontSpec(const ui::FontSpec& spec, CSettingsFont& font)
{
    font.name.Assign(spec.face.c_str());
    const int height = spec.height < 0 ? -spec.height : spec.height;
    font.size = ::MulDiv(height, 72, PixelsPerInch());
    font.charset = spec.charset;
    BYTE style = font.style & fsStrikeout;  // the dialog does not offer strikeout: it stays as it was
    if (spec.weight >= FW_SEMIBOLD) style |= fsBold;
    if (spec.italic) style |= fsItalic;
    if (spec.underline) style |= fsUnderline;
    font.style = style;
}

}  // namespace

TFormSettings::TFormSettings(CSettings& settings, const TFormPictures* pictures)
    : m_Settings(settings), m_pPictures(pictures)
{
    caption = Text(glm_SettingsCaption);
    borderStyle = ui::BorderStyle::Sizeable;
    minimizeBox = false;
    maximizeBox = false;
    clientWidth = 688;
    clientHeight = 424;
    left = (::GetSystemMetrics(SM_CXSCREEN) - clientWidth) / 2;
    top = (::GetSystemMetrics(SM_CYSCREEN) - clientHeight) / 2;

    LabelCaption.SetBounds(kEditorLeft, 8, kEditorWidth, 13);
    Edit.SetBounds(kEditorLeft, 26, kEditorWidth, 21);
    CSpinEdit.SetBounds(kEditorLeft, 26, 100, 21);
    LabelUnits.SetBounds(kEditorLeft + 108, 30, 200, 13);
    CheckBox.SetBounds(kEditorLeft, 8, kEditorWidth, 17);
    RadioGroup.SetBounds(kEditorLeft, 8, kEditorWidth, 60);
    TrackBar.SetBounds(kEditorLeft, 26, kEditorWidth, 28);
    LabelTrackBarValue.alignment = ui::Alignment::Center;
    LabelTrackBarValue.SetBounds(kEditorLeft, 56, kEditorWidth, 13);
    ShapeColor.SetBounds(kEditorLeft, 26, 40, 21);
    LabelColor.SetBounds(kEditorLeft + 48, 30, 250, 13);
    ButtonSelectColor.caption = Text(glm_ButtonSelectColor);
    ButtonSelectColor.SetBounds(kEditorLeft, 54, 110, 25);
    ButtonBrowse.caption = Text(glm_ButtonBrowse);
    ButtonBrowse.SetBounds(kEditorLeft, 54, 110, 25);
    LabelFontData.SetBounds(kEditorLeft, 26, kEditorWidth, 56);
    ButtonFontChange.caption = Text(glm_ButtonChange);
    ButtonFontChange.SetBounds(kEditorLeft, 86, 110, 25);
    LabelFontSample.caption = kFontSampleText;
    LabelFontSample.SetBounds(kEditorLeft, 118, kEditorWidth, 40);
    ImageHelp.SetBounds(kEditorLeft, 60, 1, 1);
    LabelItemHelp.fontColor = ui::Color::Rgb(kHelpTextColor);
    LabelItemHelp.SetBounds(kEditorLeft, 70, kEditorWidth, 100);
    ButtonOk.caption = Text(glm_ButtonOk);
    ButtonOk.isDefault = true;
    ButtonOk.modalResult = ui::kModalOk;
    ButtonCancel.caption = Text(glm_ButtonCancel);
    ButtonCancel.isCancel = true;
    ButtonHelp.caption = "?";
    ButtonOk.SetBounds(0, 0, 75, 25);
    ButtonCancel.SetBounds(0, 0, 75, 25);
    ButtonHelp.SetBounds(0, 0, 25, 25);
    TreeView.SetBounds(8, 8, clientWidth - kPanelWidth - 8, clientHeight - 16);
    Panel.SetBounds(clientWidth - kPanelWidth, 0, kPanelWidth, clientHeight);

    onShow = [this](ui::Form&) { FormShow(); };
    onHide = [this](ui::Form&) { m_bClosing = true; };
    TreeView.onChange = [this](ui::TreeView&, HTREEITEM) { TreeViewChange(); };
    Panel.onResize = [this](ui::Panel&) { PanelResize(); };
    CheckBox.onClick = [this](ui::CheckBox&) { EditorChange(); };
    Edit.onChange = [this](ui::Edit&) { EditorChange(); };
    RadioGroup.onClick = [this](ui::RadioGroup&) { EditorChange(); };
    TrackBar.onChange = [this](ui::TrackBar&) { EditorChange(); };
    CSpinEdit.onChange = [this](ui::Edit&) { EditorChange(); };
    ButtonSelectColor.onClick = [this](ui::Button&) { ButtonSelectColorClick(); };
    ButtonFontChange.onClick = [this](ui::Button&) { ButtonFontChangeClick(); };
    ButtonBrowse.onClick = [this](ui::Button&) { ButtonBrowseClick(); };
    ButtonCancel.onClick = [this](ui::Button&) {
        m_bClosing = true;
        SetModalResult(ui::kModalCancel);
    };
    ButtonHelp.onClick = [this](ui::Button&) {
        ui::TheDialogs().shellOpen(Handle(), TxProgramFile(kHelpFile));
    };
}

bool TFormSettings::Create(HWND owner)
{
    // The buttons come first in the tab order: a form that gives the keyboard to its first control
    // would otherwise hand it to the tree, which then selects its first item by itself.
    const bool created =
        Form::Create(ManagerFormClass(), owner) && Panel.Create(*this) && ButtonOk.Create(Panel, IDOK) &&
        ButtonCancel.Create(Panel, IDCANCEL) && ButtonHelp.Create(Panel) && LabelCaption.Create(Panel) &&
        Edit.Create(Panel) && CSpinEdit.Create(Panel) && LabelUnits.Create(Panel) && CheckBox.Create(Panel) &&
        RadioGroup.Create(Panel) && TrackBar.Create(Panel) && LabelTrackBarValue.Create(Panel) &&
        ShapeColor.Create(Panel) && LabelColor.Create(Panel) && ButtonSelectColor.Create(Panel) &&
        ButtonBrowse.Create(Panel) && LabelFontData.Create(Panel) && ButtonFontChange.Create(Panel) &&
        LabelFontSample.Create(Panel) && ImageHelp.Create(Panel) && LabelItemHelp.Create(Panel) &&
        TreeView.Create(*this);
    if (!created) return false;
    ApplyTexts();
    HideEditors();
    PanelResize();
    return true;
}

void TFormSettings::ApplyTexts()
{
    ApplyCaptions("TFormSettings", *this,
                  {{"ButtonOk", &ButtonOk},
                   {"ButtonCancel", &ButtonCancel},
                   {"ButtonSelectColor", &ButtonSelectColor},
                   {"ButtonBrowse", &ButtonBrowse},
                   {"ButtonFontChange", &ButtonFontChange}});
}

LRESULT TFormSettings::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        Layout();
        break;
    case WM_GETMINMAXINFO: {
        // The tree keeps at least 330 x 330 pixels beside the editors' panel.
        RECT least = {0, 0, kPanelWidth + 8 + 330, 330 + 16};
        ::AdjustWindowRectEx(&least, static_cast<DWORD>(GetStyle()), FALSE, WS_EX_CONTROLPARENT);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {least.right - least.left, least.bottom - least.top};
        return 0;
    }
    case WM_ACTIVATE:
        // A tree view that gets the keyboard with nothing selected selects its first item: at a
        // later showing nothing may be selected until the user picks an item.
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam) && TreeView.Exists() && !TreeView.Selected()) {
            ButtonOk.SetFocus();
            return 0;
        }
        break;
    default:
        break;
    }
    return Form::OnMessage(msg, wParam, lParam);
}

void TFormSettings::Layout()
{
    if (!Panel.Exists()) return;
    const RECT client = GetClientRect();
    const int width = client.right;
    const int height = client.bottom;
    TreeView.SetBounds(8, 8, std::max(0, width - kPanelWidth - 8), std::max(0, height - 16));
    Panel.SetBounds(std::max(0, width - kPanelWidth), 0, kPanelWidth, height);
}

bool TFormSettings::ShowDialog()
{
    FillTree(m_Settings, TreeView);
    const int result = ShowModal();
    ui::App::ProcessMessages();
    m_pCurrentItem = nullptr;
    if (result != ui::kModalOk) {
        DiscardTree(TreeView);
        return false;
    }
    TakeFromTree(m_Settings, TreeView);
    if (!m_Settings.SaveToRegistry(HKEY_CURRENT_USER, kRegRootPath))
        LogF("!The settings could not all be saved");
    if (m_Settings.Modified()) {
        ui::WaitCursor wait;
        ManagerEngine& engine = TheEngine();
        engine.showProgressWindow();
        engine.updateCurrentWallpaper();
        engine.hideProgressWindow();
    }
    return true;
}

void TFormSettings::FormShow()
{
    m_bClosing = false;
    m_Settings.SetModified(false);
    m_pCurrentItem = nullptr;
    HideEditors();
    TreeView.FullExpand();
    if (m_bFirstShowing) {
        m_bFirstShowing = false;
        if (TreeView.Root()) TreeView.Select(TreeView.Root());
    }
}

std::array<TFormSettings::EditorControl, 15> TFormSettings::EditorControls()
{
    return {{{seCaption, &LabelCaption},
             {seEdit, &Edit},
             {seBrowse, &ButtonBrowse},
             {seNumber, &CSpinEdit},
             {seUnits, &LabelUnits},
             {seCheckBox, &CheckBox},
             {seRadioGroup, &RadioGroup},
             {seTrackBar, &TrackBar},
             {seTrackBarValue, &LabelTrackBarValue},
             {seColor, &ShapeColor},
             {seColorValue, &LabelColor},
             {seSelectColor, &ButtonSelectColor},
             {seFontSample, &LabelFontSample},
             {seFontData, &LabelFontData},
             {seFontChange, &ButtonFontChange}}};
}

ui::Control& TFormSettings::ControlOf(unsigned editor)
{
    for (const EditorControl& each : EditorControls())
        if (each.editor == editor) return *each.control;
    return LabelCaption;
}

void TFormSettings::HideEditors()
{
    for (const EditorControl& each : EditorControls())
        each.control->SetVisible(false);
    LabelItemHelp.SetVisible(false);
    ImageHelp.SetVisible(false);
    ::ShowWindow(CSpinEdit.ButtonsHandle(), SW_HIDE);
}

void TFormSettings::ShowEditors(unsigned editors)
{
    for (const EditorControl& each : EditorControls())
        if (editors & each.editor) each.control->SetVisible(true);
    // The spin edit's buttons are a window of their own beside it.
    if (editors & seNumber) ::ShowWindow(CSpinEdit.ButtonsHandle(), SW_SHOWNA);
}

int TFormSettings::TextHeight() const
{
    WindowDC dc(Handle());
    if (!dc) return 13;
    SelectGuard font(dc.get(), Font());
    SIZE size = {};
    ::GetTextExtentPoint32A(dc.get(), "\xC1Hjg", 4, &size);
    return size.cy > 0 ? size.cy : 13;
}

void TFormSettings::UpdateNodeText()
{
    const HTREEITEM node = TreeView.Selected();
    if (!node || !m_pCurrentItem) return;
    TreeView.SetItemText(node, TreeText(*m_pCurrentItem));
}

void TFormSettings::MarkModified()
{
    if (!m_bUpdating) m_Settings.SetModified(true);
}

void TFormSettings::TreeViewChange()
{
    if (m_bClosing) return;
    HideEditors();
    const int h = TextHeight();
    const HTREEITEM node = TreeView.Selected();
    m_pCurrentItem = node ? static_cast<CSettingsItem*>(TreeView.Data(node)) : nullptr;
    if (!m_pCurrentItem) return;
    CSettingsItem& item = *m_pCurrentItem;
    const SettingsEditorKind& kind = FindEditorKind(item.Type());

    const HBITMAP picture = m_pPictures ? m_pPictures->Picture(item.Picture()) : nullptr;
    const SIZE pictureSize = LoadHelpPicture(picture);

    m_bUpdating = true;
    LabelCaption.SetCaption(std::string(item.Caption().GetText()) + ":");
    if (kind.load) kind.load(*this, item);
    ShowEditors(kind.editors);
    PlaceHelp(kind.helpBelow == seNone ? LabelCaption.top : Bottom(ControlOf(kind.helpBelow)) + h,
              pictureSize);
    m_bUpdating = false;
    ImageHelp.SetVisible(picture != nullptr);
    LabelItemHelp.SetCaption(item.HelpText().GetText());
    LabelItemHelp.SetVisible(true);
}

SIZE TFormSettings::LoadHelpPicture(HBITMAP picture)
{
    ImageHelp.SetBitmap(GdiObject());
    if (!picture) return {0, 1};
    BITMAP info = {};
    ::GetObjectA(picture, sizeof info, &info);
    ImageHelp.SetBitmap(GdiObject(::CopyImage(picture, IMAGE_BITMAP, 0, 0, 0)));
    return {info.bmWidth, info.bmHeight};
}

void TFormSettings::PlaceHelp(int top, SIZE picture)
{
    const RECT panel = Panel.GetClientRect();
    ImageHelp.SetBounds((panel.right - picture.cx) / 2, top, picture.cx, picture.cy);
    const int textTop = top + picture.cy + 5;
    LabelItemHelp.SetBounds(kEditorLeft, textTop, kEditorWidth, std::max(0, ButtonOk.top - 8 - textTop));
}

void TFormSettings::PanelResize()
{
    const RECT panel = Panel.GetClientRect();
    const int buttonTop = panel.bottom - ButtonCancel.height - 10;
    const int helpLeft = panel.right - ButtonHelp.width - 10;
    ButtonHelp.SetBounds(helpLeft, buttonTop, ButtonHelp.width, ButtonHelp.height);
    ButtonCancel.SetBounds(helpLeft - 6 - ButtonCancel.width, buttonTop, ButtonCancel.width,
                           ButtonCancel.height);
    ButtonOk.SetBounds(ButtonCancel.left - 6 - ButtonOk.width, buttonTop, ButtonOk.width, ButtonOk.height);
    if (LabelItemHelp.top < buttonTop)
        LabelItemHelp.SetBounds(LabelItemHelp.left, LabelItemHelp.top, LabelItemHelp.width,
                                buttonTop - 8 - LabelItemHelp.top);
}

void TFormSettings::ShowFontDescription()
{
    if (!m_pCurrentItem || !m_pCurrentItem->Font()) return;
    const CSettingsFont& font = *m_pCurrentItem->Font();
    ui::FontSpec spec = ToFontSpec(font);
    m_SampleFont = spec.Create();
    LOGFONTA logFont = spec.ToLogFont();
    logFont.lfStrikeOut = (font.style & fsStrikeout) ? TRUE : FALSE;
    m_SampleFont = GdiObject(::CreateFontIndirectA(&logFont));
    LabelFontSample.SetFont(static_cast<HFONT>(m_SampleFont.get()), true);
    LayOutFontSample();
    LabelFontData.SetCaption(FormatText(glm_FontDescriptionSDSS, font.name.GetText(), font.size,
                                        StyleText(font.style).c_str(), CharsetText(font.charset)));
}

void TFormSettings::LayOutFontSample()
{
    // The sample is one word, which the label would not break: it is broken into lines that fit the
    // editor's width, and the label takes the height of those lines, so that a larger font shows
    // every letter instead of the first few. A giant font shows as many whole lines as fit.
    constexpr int kMostSampleHeight = 160;
    WindowDC dc(LabelFontSample.Handle());
    if (!dc) return;
    SelectGuard selected(dc.get(), m_SampleFont.get());
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc.get(), &metrics);
    const int lineHeight = std::max(1, static_cast<int>(metrics.tmHeight));
    const std::string sample = kFontSampleText;
    std::string text;
    int lines = 0;
    size_t start = 0;
    while (start < sample.size() && (lines + 1) * lineHeight <= std::max(kMostSampleHeight, lineHeight)) {
        int fit = 0;
        SIZE extent = {};
        ::GetTextExtentExPointA(dc.get(), sample.c_str() + start, static_cast<int>(sample.size() - start),
                                kEditorWidth, &fit, nullptr, &extent);
        fit = std::max(fit, 1);  // a letter wider than the panel still takes a line of its own
        if (lines > 0) text += "\r\n";
        text += sample.substr(start, static_cast<size_t>(fit));
        start += static_cast<size_t>(fit);
        ++lines;
    }
    LabelFontSample.SetCaption(text);
    LabelFontSample.SetBounds(LabelFontSample.left, LabelFontSample.top, kEditorWidth, lines * lineHeight);
}

void TFormSettings::EditorChange()
{
    if (!m_pCurrentItem) return;
    const SettingsEditorKind& kind = FindEditorKind(m_pCurrentItem->Type());
    if (!kind.store || !kind.store(*this, *m_pCurrentItem)) return;
    MarkModified();
    UpdateNodeText();
}

void TFormSettings::ButtonSelectColorClick()
{
    if (!m_pCurrentItem) return;
    COLORREF color = static_cast<COLORREF>(m_pCurrentItem->RawValue());
    if (ui::TheDialogs().pickColor(Handle(), color)) {
        m_pCurrentItem->SetInt(static_cast<int>(color));
        FindEditorKind(stColor).load(*this, *m_pCurrentItem);
        m_Settings.SetModified(true);
    }
    UpdateNodeText();
}

void TFormSettings::ButtonFontChangeClick()
{
    if (!m_pCurrentItem || !m_pCurrentItem->Font()) return;
    CSettingsFont& font = *m_pCurrentItem->Font();
    ui::FontSpec spec = ToFontSpec(font);
    COLORREF color = 0;
    // A font alone does not change the composed wallpaper's content enough to recompose it: it is
    // saved without marking the settings modified.
    // A font item keeps face, size, script, bold, italic and underline: strikeout and colour are not
    // stored, so the dialog does not offer them.
    ui::FontEffects offered;
    offered.strikeout = false;
    offered.color = false;
    if (ui::TheDialogs().pickFont(Handle(), spec, color, offered)) FromFontSpec(spec, font);
    ShowFontDescription();
    UpdateNodeText();
}

void TFormSettings::ButtonBrowseClick()
{
    if (!m_pCurrentItem) return;
    const SettingsEditorKind& kind = FindEditorKind(m_pCurrentItem->Type());
    if (kind.browse && kind.browse(*this, *m_pCurrentItem)) m_Settings.SetModified(true);
    UpdateNodeText();
}

}  // namespace manager
