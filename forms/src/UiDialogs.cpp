#include "UiDialogs.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstring>
#include <vector>

#include "UTxUtils.h"

namespace ui {

namespace {

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags)
{
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

bool PickColor(HWND owner, COLORREF& color)
{
    static COLORREF custom[16] = {};
    CHOOSECOLORA cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = color;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!::ChooseColorA(&cc)) return false;
    color = cc.rgbResult;
    return true;
}

// The dialog's effect controls: the strikeout and underline boxes, the colour list and its label,
// and the group around them.
constexpr int kStrikeoutBox = 0x410;
constexpr int kUnderlineBox = 0x411;
constexpr int kColorList = 0x473;
constexpr int kColorLabel = 0x443;
constexpr int kEffectsGroup = 0x430;

// Hides the effects the caller does not keep once the dialog is made.
UINT_PTR CALLBACK FontDialogHook(HWND dialog, UINT msg, WPARAM, LPARAM lParam) noexcept
{
    if (msg != WM_INITDIALOG) return 0;
    const auto* cf = reinterpret_cast<const CHOOSEFONTA*>(lParam);
    const auto* offered = cf ? reinterpret_cast<const FontEffects*>(cf->lCustData) : nullptr;
    if (!offered) return TRUE;
    const auto hide = [dialog](int id) {
        if (HWND control = ::GetDlgItem(dialog, id)) ::ShowWindow(control, SW_HIDE);
    };
    if (!offered->strikeout) hide(kStrikeoutBox);
    if (!offered->underline) hide(kUnderlineBox);
    if (!offered->color) {
        hide(kColorList);
        hide(kColorLabel);
    }
    if (!offered->strikeout && !offered->underline && !offered->color) hide(kEffectsGroup);
    return TRUE;
}

bool PickFont(HWND owner, FontSpec& font, COLORREF& color, const FontEffects& offered)
{
    LOGFONTA lf = font.ToLogFont();
    CHOOSEFONTA cf = {};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = owner;
    cf.lpLogFont = &lf;
    cf.rgbColors = color;
    cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT | CF_FORCEFONTEXIST | CF_NOSIMULATIONS |
               CF_NOVECTORFONTS | CF_ENABLEHOOK;
    cf.lpfnHook = &FontDialogHook;
    cf.lCustData = reinterpret_cast<LPARAM>(&offered);
    if (!::ChooseFontA(&cf)) return false;
    font.face = lf.lfFaceName;
    font.height = lf.lfHeight;
    font.charset = lf.lfCharSet;
    font.weight = lf.lfWeight;
    font.italic = lf.lfItalic != 0;
    if (offered.underline) font.underline = lf.lfUnderline != 0;
    if (offered.strikeout) font.strikeout = lf.lfStrikeOut != 0;
    if (offered.color) color = cf.rgbColors;
    return true;
}

// The filter as the dialog takes it: '|' becomes the zero between the parts, two zeros at the end.
std::vector<char> DialogFilter(const std::string& filter)
{
    std::vector<char> result(filter.begin(), filter.end());
    for (char& c : result)
        if (c == '|') c = '\0';
    result.push_back('\0');
    result.push_back('\0');
    return result;
}

bool PickFile(HWND owner, FileDialogOptions& options, bool save)
{
    std::vector<char> filter = DialogFilter(options.filter);
    std::vector<char> file(32768, '\0');
    std::strncpy(file.data(), options.fileName.c_str(), file.size() - 1);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = options.filter.empty() ? nullptr : filter.data();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = options.initialDir.empty() ? nullptr : options.initialDir.c_str();
    ofn.lpstrTitle = options.title.empty() ? nullptr : options.title.c_str();
    ofn.lpstrDefExt = options.defaultExt.empty() ? nullptr : options.defaultExt.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_ENABLESIZING | OFN_EXPLORER |
                (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!(save ? ::GetSaveFileNameA(&ofn) : ::GetOpenFileNameA(&ofn))) return false;
    options.fileName = file.data();
    return true;
}

bool ShellOpen(HWND owner, const std::string& path)
{
    // An empty path names no document (a program that cannot find its own folder gives one).
    if (path.empty()) return false;
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteA(owner, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

bool StartProcess(const std::string& commandLine, const std::string& folder)
{
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        return false;
    Handle process(pi.hProcess);
    Handle thread(pi.hThread);
    return true;
}

}  // namespace

Dialogs SystemDialogs()
{
    Dialogs d;
    d.messageBox = &ShowMessageBox;
    d.pickColor = &PickColor;
    d.pickFont = &PickFont;
    d.pickOpenFile = [](HWND owner, FileDialogOptions& o) { return PickFile(owner, o, false); };
    d.pickSaveFile = [](HWND owner, FileDialogOptions& o) { return PickFile(owner, o, true); };
    d.shellOpen = &ShellOpen;
    d.startProcess = &StartProcess;
    return d;
}

Dialogs& TheDialogs()
{
    static Dialogs dialogs = SystemDialogs();
    return dialogs;
}

}  // namespace ui
