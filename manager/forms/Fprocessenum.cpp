#include "Fprocessenum.h"

#include "ManagerForms.h"
#include "ProgramList.h"
#include "UTxLog.h"
#include "UiDialogs.h"
#include "Umanaglang.h"
#include "Uprocessenum.h"

namespace manager {

namespace {

constexpr int kNameRoom = 512;

}  // namespace

TFormProcessEnum::TFormProcessEnum()
{
    caption = Text(glm_BlockingProgramsCaption);
    borderStyle = ui::BorderStyle::Dialog;
    clientWidth = 526;
    clientHeight = 392;
    left = (::GetSystemMetrics(SM_CXSCREEN) - clientWidth) / 2;
    top = (::GetSystemMetrics(SM_CYSCREEN) - clientHeight) / 2;

    LabelCurrentlyRunning.caption = Text(glm_CurrentlyRunningPrograms);
    LabelCurrentlyRunning.SetBounds(8, 8, 510, 13);
    ListViewWindows.columns = {{Text(glm_ColumnFile), 150, false}, {Text(glm_ColumnWindowTitle), 336, false}};
    ListViewWindows.sorted = true;
    ListViewWindows.SetBounds(8, 24, 510, 204);
    ButtonAdd.caption = Text(glm_ButtonAdd);
    ButtonAdd.SetBounds(8, 236, 90, 25);
    LabelAddLabel.SetBounds(106, 242, 412, 13);
    ButtonRemove.caption = Text(glm_ButtonRemove);
    ButtonRemove.SetBounds(8, 266, 90, 25);
    LabelRemoveLabel.SetBounds(106, 272, 412, 13);
    LabelBlockingPrograms.caption = Text(glm_LabelBlockingPrograms);
    LabelBlockingPrograms.SetBounds(8, 302, 510, 13);
    // No limit on the edit: a pasted list arrives whole, and OK tells when it must be cut.
    EditBlockingPrograms.SetBounds(8, 318, 510, 21);
    ButtonOk.caption = Text(glm_ButtonOk);
    ButtonOk.isDefault = true;
    ButtonOk.SetBounds(356, 358, 75, 25);
    ButtonCancel.caption = Text(glm_ButtonCancel);
    ButtonCancel.isCancel = true;
    ButtonCancel.modalResult = ui::kModalCancel;
    ButtonCancel.SetBounds(443, 358, 75, 25);
    Timer.interval = 2000;

    onShow = [this](ui::Form&) { FormShow(); };
    onHide = [this](ui::Form&) { FormHide(); };
    ListViewWindows.onSelectItem = [this](ui::ListView&, int, bool) { UpdateAddRemove(); };
    ButtonAdd.onClick = [this](ui::Button&) { ButtonAddClick(); };
    ButtonRemove.onClick = [this](ui::Button&) { ButtonRemoveClick(); };
    ButtonOk.onClick = [this](ui::Button&) { ButtonOkClick(); };
    Timer.onTimer = [this](ui::Timer&) { TimerTimer(); };
}

TFormProcessEnum::~TFormProcessEnum()
{
    Timer.Stop();
}

bool TFormProcessEnum::Create(HWND owner)
{
    const bool created = Form::Create(ManagerFormClass(), owner) && LabelCurrentlyRunning.Create(*this) &&
                         ListViewWindows.Create(*this) && ButtonAdd.Create(*this) &&
                         LabelAddLabel.Create(*this) && ButtonRemove.Create(*this) &&
                         LabelRemoveLabel.Create(*this) && LabelBlockingPrograms.Create(*this) &&
                         EditBlockingPrograms.Create(*this) && ButtonOk.Create(*this, IDOK) &&
                         ButtonCancel.Create(*this, IDCANCEL);
    if (created) ApplyTexts();
    return created;
}

void TFormProcessEnum::ApplyTexts()
{
    ApplyCaptions("TFormProcessEnum", *this,
                  {{"LabelCurrentlyRunning", &LabelCurrentlyRunning},
                   {"ListViewWindows", &ListViewWindows},
                   {"ButtonAdd", &ButtonAdd},
                   {"ButtonRemove", &ButtonRemove},
                   {"LabelBlockingPrograms", &LabelBlockingPrograms},
                   {"ButtonOk", &ButtonOk},
                   {"ButtonCancel", &ButtonCancel}});
}

void TFormProcessEnum::FormShow()
{
    EditBlockingPrograms.SetText(NormalizeProgramList(GetText()));
    SetText(Text(glm_BlockingProgramsCaption));
    CProcessInfo processInfo;
    processInfo.RefreshWindowList();
    FillWindowList(processInfo);
    Timer.Start(*this);
}

void TFormProcessEnum::FormHide()
{
    Timer.Stop();
}

void TFormProcessEnum::FillWindowList(CProcessInfo& processInfo)
{
    ++m_iGuard;
    ListViewWindows.BeginUpdate();
    ListViewWindows.Clear();
    m_dwSignature = processInfo.GetWindowListSignature();
    char name[kNameRoom];
    char title[kNameRoom];
    for (int index = 0; processInfo.GetWindowInfo(index, name, sizeof name, title, sizeof title); ++index) {
        const int row = ListViewWindows.AddItem(ProgramDisplayName(name));
        if (row >= 0) ListViewWindows.SetItemText(row, 1, title);
    }
    int selected = -1;
    for (int row = 0; row < ListViewWindows.ItemCount() && selected < 0; ++row)
        if (ListViewWindows.ItemText(row) == m_sSelectedProgram) selected = row;
    if (selected < 0 && ListViewWindows.ItemCount() > 0) selected = 0;
    if (selected >= 0) ListViewWindows.SetSelected(selected, true);
    ListViewWindows.EndUpdate();
    --m_iGuard;
    UpdateAddRemove();
}

void TFormProcessEnum::TimerTimer()
{
    CProcessInfo processInfo;
    processInfo.RefreshWindowList();
    if (processInfo.GetWindowListSignature() != m_dwSignature) FillWindowList(processInfo);
}

void TFormProcessEnum::UpdateAddRemove()
{
    if (m_iGuard > 0) return;
    ++m_iGuard;
    const int row = ListViewWindows.FirstSelected();
    if (row >= 0) {
        m_sSelectedProgram = ListViewWindows.ItemText(row);
        LabelAddLabel.SetCaption(FormatText(glm_AddToListOfBlockingS, m_sSelectedProgram.c_str()));
        LabelRemoveLabel.SetCaption(FormatText(glm_RemoveFromListOfBlockingS, m_sSelectedProgram.c_str()));
        const bool listed = ProgramListContains(EditBlockingPrograms.Text(), m_sSelectedProgram);
        ButtonAdd.SetEnabled(!listed);
        LabelAddLabel.SetEnabled(!listed);
        ButtonRemove.SetEnabled(listed);
        LabelRemoveLabel.SetEnabled(listed);
    } else {
        LabelAddLabel.SetCaption("");
        LabelRemoveLabel.SetCaption("");
        ButtonAdd.SetEnabled(false);
        LabelAddLabel.SetEnabled(false);
        ButtonRemove.SetEnabled(false);
        LabelRemoveLabel.SetEnabled(false);
    }
    --m_iGuard;
}

void TFormProcessEnum::ButtonAddClick()
{
    const std::string list = ProgramListAdd(EditBlockingPrograms.Text(), m_sSelectedProgram);
    // The record reads back no longer list: a longer one would be lost at the next start.
    if (list.size() > kMaxProgramListLength) {
        LogF("Blocking program %s not added: the list would exceed %u characters", m_sSelectedProgram.c_str(),
             static_cast<unsigned>(kMaxProgramListLength));
        ui::TheDialogs().messageBox(Handle(), Text(glm_ProgramListTooLong), Text(glm_CannotAdd),
                                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    EditBlockingPrograms.SetText(list);
    UpdateAddRemove();
}

void TFormProcessEnum::ButtonRemoveClick()
{
    EditBlockingPrograms.SetText(ProgramListRemove(EditBlockingPrograms.Text(), m_sSelectedProgram));
    UpdateAddRemove();
}

void TFormProcessEnum::ButtonOkClick()
{
    std::string list = NormalizeProgramList(EditBlockingPrograms.Text());
    if (list.size() > kMaxProgramListLength) {
        const size_t typed = list.size();
        list = ProgramListCut(list, kMaxProgramListLength);
        LogF("The list of blocking programs was cut from %u to %u characters", static_cast<unsigned>(typed),
             static_cast<unsigned>(list.size()));
        ui::TheDialogs().messageBox(Handle(), Text(glm_ProgramListTooLong), Text(glm_BlockingProgramsCaption),
                                    MB_OK | MB_ICONEXCLAMATION);
    }
    SetText(list);
    SetModalResult(ui::kModalOk);
}

}  // namespace manager
