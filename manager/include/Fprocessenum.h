// The picker of blocking programs: the programs that show visible windows now, and the list being
// edited. The list passes in and out through the form's caption:
//
//   formProcessEnum.SetText(list);
//   if (formProcessEnum.ShowModal() == ui::kModalOk) list = formProcessEnum.GetText();
#pragma once

#include <string>

#include "UiControls.h"

class CProcessInfo;

namespace manager {

class TFormProcessEnum : public ui::Form {
public:
    TFormProcessEnum();
    ~TFormProcessEnum() override;

    bool Create(HWND owner = nullptr);
    // The current Manager texts on the form (done by Create; again after the language changed).
    void ApplyTexts();

    // The list from `processInfo`, the selected program kept when it still shows a window.
    void FillWindowList(CProcessInfo& processInfo);
    // The Add and Remove buttons and their labels after the selection or the list changed.
    void UpdateAddRemove();
    // The timer's work: the list again when the set of visible windows changed.
    void TimerTimer();

    const std::string& SelectedProgram() const { return m_sSelectedProgram; }

    ui::Label LabelCurrentlyRunning;
    ui::ListView ListViewWindows;
    ui::Button ButtonAdd;
    ui::Label LabelAddLabel;
    ui::Button ButtonRemove;
    ui::Label LabelRemoveLabel;
    ui::Label LabelBlockingPrograms;
    ui::Edit EditBlockingPrograms;
    ui::Button ButtonOk;
    ui::Button ButtonCancel;
    ui::Timer Timer;

private:
    void FormShow();
    void FormHide();
    void ButtonAddClick();
    void ButtonRemoveClick();
    void ButtonOkClick();

    std::string m_sSelectedProgram;
    int m_iGuard = 0;
    DWORD m_dwSignature = 0;
};

}  // namespace manager
