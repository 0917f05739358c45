// The Manager's other forms, made once by the program entry and kept for the whole run, as the main
// window's buttons show them again and again.
#include "MainWindowActions.h"

#include <memory>

#include "FormMain.h"
#include "FormFileList.h"
#include "FormPictures.h"
#include "FormProcessEnum.h"
#include "FormSettings.h"
#include "WpApi.h"

namespace manager {

namespace {

struct SecondaryForms {
    std::unique_ptr<ui::Owner<TFormFileList>> fileList;
    std::unique_ptr<ui::Owner<TFormPictures>> pictures;
    std::unique_ptr<ui::Owner<TFormSettings>> settings;
    std::unique_ptr<ui::Owner<TFormTestImg>> testImg;
    std::unique_ptr<ui::Owner<TFormProcessEnum>> processEnum;
};

SecondaryForms& Forms()
{
    static SecondaryForms forms;
    return forms;
}

// Keeps the form only when its window was made.
template <typename T>
bool Keep(std::unique_ptr<ui::Owner<T>>& slot, std::unique_ptr<ui::Owner<T>> form, bool created)
{
    if (created) slot = std::move(form);
    return created;
}

void SetOuterBounds(ui::Form& form, const WindowBounds& bounds)
{
    form.SetPos(nullptr, bounds.left, bounds.top, bounds.width, bounds.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TakeOuterSize(const ui::Form& form, WindowBounds& bounds)
{
    const RECT outer = form.GetWindowRect();
    bounds.width = outer.right - outer.left;
    bounds.height = outer.bottom - outer.top;
}

}  // namespace

bool CreateFileListForm(TFormMain& main)
{
    auto form = std::make_unique<ui::Owner<TFormFileList>>();
    const bool created = form->Create(main.Handle());
    return Keep(Forms().fileList, std::move(form), created);
}

bool CreatePicturesForm()
{
    auto form = std::make_unique<ui::Owner<TFormPictures>>();
    const bool created = form->Create();
    return Keep(Forms().pictures, std::move(form), created);
}

bool CreateSettingsForm(TFormMain& main)
{
    auto form = std::make_unique<ui::Owner<TFormSettings>>(ManagerSettings(), Forms().pictures.get());
    const bool created = form->Create(main.Handle());
    return Keep(Forms().settings, std::move(form), created);
}

bool CreateTestImgForm(TFormMain& main)
{
    auto form = std::make_unique<ui::Owner<TFormTestImg>>();
    const bool created = form->Create(main.Handle());
    return Keep(Forms().testImg, std::move(form), created);
}

bool CreateProcessEnumForm()
{
    // The picker opens from the settings dialog, which stays disabled under it.
    const HWND owner = Forms().settings ? Forms().settings->Handle() : nullptr;
    auto form = std::make_unique<ui::Owner<TFormProcessEnum>>();
    const bool created = form->Create(owner);
    return Keep(Forms().processEnum, std::move(form), created);
}

void DestroySecondaryForms()
{
    // The picker and the settings dialog point at the forms made before them: they go first.
    SecondaryForms& forms = Forms();
    forms.processEnum.reset();
    forms.testImg.reset();
    forms.settings.reset();
    forms.pictures.reset();
    forms.fileList.reset();
}

void ApplySecondaryTexts()
{
    SecondaryForms& forms = Forms();
    if (forms.fileList) forms.fileList->ApplyTexts();
    if (forms.settings) forms.settings->ApplyTexts();
    if (forms.processEnum) forms.processEnum->ApplyTexts();
}

void UseProgramPicker(CSettings& settings)
{
    if (Forms().processEnum) SetProgramListEditor(settings, Forms().processEnum.get());
}

void TakeSecondarySizes(ManagerWindowPositions& positions)
{
    SecondaryForms& forms = Forms();
    if (forms.fileList) TakeOuterSize(*forms.fileList, positions.fileList);
    if (forms.settings) TakeOuterSize(*forms.settings, positions.settings);
}

void PlaceSecondaryForms(const ManagerWindowPositions& positions)
{
    SecondaryForms& forms = Forms();
    if (forms.fileList) SetOuterBounds(*forms.fileList, positions.fileList);
    if (forms.settings) SetOuterBounds(*forms.settings, positions.settings);
}

void ReadSecondaryPositions(HKEY managerKey)
{
    if (Forms().fileList) Forms().fileList->ReadPosition(managerKey);
    if (Forms().settings) Forms().settings->ReadPosition(managerKey);
}

void WriteSecondaryPositions(HKEY managerKey)
{
    if (Forms().fileList) Forms().fileList->WritePosition(managerKey);
    if (Forms().settings) Forms().settings->WritePosition(managerKey);
}

void OpenImageBrowser(TFormMain& main)
{
    if (!Forms().fileList || !main.m_pFileCollection) return;
    Forms().fileList->ShowBrowser(*main.m_pFileCollection, main.m_RegistryRecord);
}

bool OpenSettingsDialog(TFormMain&)
{
    return Forms().settings && Forms().settings->ShowDialog();
}

void OpenScreenSaverTest(TFormMain& main)
{
    if (!Forms().testImg) return;
    Forms().testImg->Show();
    WpApi_ScreenSaverReplaceImage(Forms().testImg->Handle(), &main.m_RegistryRecord);
}

}  // namespace manager
