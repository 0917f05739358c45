// TFormMain, the uninstaller's one window: a blue gradient, a note, Start and Cancel, and a memo that
// fills with one line per handled entry of the install log.
#pragma once

#include <string>

#include "UTxCollections.h"
#include "UiControls.h"
#include "UninstallWalk.h"
#include "Uuninstlang.h"

// Control ids, by which another process finds the controls (Start is IDOK, Cancel IDCANCEL).
constexpr int kIdLabelBye = 101;
constexpr int kIdLabelNote = 102;
constexpr int kIdMemoProgress = 103;

class TFormMain : public ui::Form {
public:
    TFormMain();

    // The install folder as the command line gives it; set before Create.
    std::string parameters;

    bool Create(const ui::WindowClass& windowClass);

    ui::PaintBox PaintBox;
    ui::Label LabelBye;
    ui::Label LabelNote;
    ui::Edit MemoProgress;
    ui::Button ButtonCancel;
    ui::Button ButtonStart;

    // The colour of gradient band `band` (0..255) and the height of one band for a box `height` high.
    static COLORREF GradientColor(int band);
    static int GradientBandHeight(int height);

private:
    void FormShow();
    void LoadInstallLog();
    void ButtonStartClick();
    // The last line: what stays, if anything does.
    static std::string ClosingLine(const RemovalOutcome& outcome);
    void ButtonCancelClick();
    static void PaintBoxPaint(HDC dc, const RECT& client);

    // The memo shows the failure, the bye label glu_CannotUninstall, and only Close is offered.
    void ShowLogFailure(UninstallTextId text, const std::string& path);
    // Appends a line to the memo and shows it at once: the walk runs on this thread.
    void AddProgressLine(const std::string& line);

    TxStringCollection m_Lines{32, 64};
    std::string m_sInstallFolder;  // the folder that holds Install.log
};
