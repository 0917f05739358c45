// The Manager's other forms, made once with the main window and kept for the whole run, as the main
// window's buttons show them again and again.
#include "MainWindowActions.h"

#include "ManagerEngine.h"
#include "ManagerForms.h"
#include "ManagerWindowPositions.h"
#include "Settings.h"

namespace manager {

namespace {

// Keeps the form only when its window was made.
template <typename T, typename Make>
bool Keep(std::unique_ptr<ui::Owner<T>>& slot, std::unique_ptr<ui::Owner<T>> form, Make create)
{
    if (!create(*form)) return false;
    slot = std::move(form);
    return true;
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

bool SecondaryForms::Create(HWND mainWindow, CSettings& settings)
{
    const bool created =
        Keep(m_pFileList, std::make_unique<ui::Owner<TFormFileList>>(),
             [&](TFormFileList& form) { return form.Create(mainWindow); }) &&
        Keep(m_pNewFolder, std::make_unique<ui::Owner<TFormNewFolder>>(),
             [&](TFormNewFolder& form) { return form.Create(ManagerFormClass(), mainWindow); }) &&
        Keep(m_pPictures, std::make_unique<ui::Owner<TFormPictures>>(),
             [](TFormPictures& form) { return form.Create(); }) &&
        Keep(m_pSettings, std::make_unique<ui::Owner<TFormSettings>>(settings, m_pPictures.get()),
             [&](TFormSettings& form) { return form.Create(mainWindow); }) &&
        Keep(m_pTree, std::make_unique<ui::Owner<TFormTree>>(),
             [&](TFormTree& form) {
                 return form.Create(ManagerFormClass(), mainWindow, m_pNewFolder.get());
             }) &&
        Keep(m_pTestImg, std::make_unique<ui::Owner<TFormTestImg>>(),
             [&](TFormTestImg& form) { return form.Create(mainWindow); }) &&
        // The picker opens from the settings dialog, which stays disabled under it.
        Keep(m_pProcessEnum, std::make_unique<ui::Owner<TFormProcessEnum>>(),
             [&](TFormProcessEnum& form) { return form.Create(m_pSettings->Handle()); });
    if (!created) Destroy();
    return created;
}

void SecondaryForms::Destroy()
{
    // The pickers and the settings dialog point at the forms made before them: they go first.
    m_pProcessEnum.reset();
    m_pTestImg.reset();
    m_pTree.reset();
    m_pSettings.reset();
    m_pPictures.reset();
    m_pNewFolder.reset();
    m_pFileList.reset();
}

void SecondaryForms::ApplyTexts()
{
    if (m_pFileList) m_pFileList->ApplyTexts();
    if (m_pSettings) m_pSettings->ApplyTexts();
    if (m_pProcessEnum) m_pProcessEnum->ApplyTexts();
}

void SecondaryForms::UseProgramPicker(CSettings& settings)
{
    if (m_pProcessEnum) SetProgramListEditor(settings, m_pProcessEnum.get());
}

void SecondaryForms::TakeSizes(ManagerWindowPositions& positions)
{
    if (m_pFileList) TakeOuterSize(*m_pFileList, positions.fileList);
    if (m_pSettings) TakeOuterSize(*m_pSettings, positions.settings);
}

void SecondaryForms::Place(const ManagerWindowPositions& positions)
{
    if (m_pFileList) SetOuterBounds(*m_pFileList, positions.fileList);
    if (m_pSettings) SetOuterBounds(*m_pSettings, positions.settings);
}

void SecondaryForms::ReadPositions(HKEY managerKey)
{
    if (m_pFileList) m_pFileList->ReadPosition(managerKey);
    if (m_pSettings) m_pSettings->ReadPosition(managerKey);
}

void SecondaryForms::WritePositions(HKEY managerKey)
{
    if (m_pFileList) m_pFileList->WritePosition(managerKey);
    if (m_pSettings) m_pSettings->WritePosition(managerKey);
}

void SecondaryForms::OpenImageBrowser(CFileCollection& files, const RegistryRecord& record)
{
    if (m_pFileList) m_pFileList->ShowBrowser(files, record);
}

bool SecondaryForms::OpenSettingsDialog()
{
    return m_pSettings && m_pSettings->ShowDialog();
}

void SecondaryForms::OpenScreenSaverTest(RegistryRecord& record)
{
    if (!m_pTestImg) return;
    m_pTestImg->Show();
    TheEngine().screenSaverReplaceImage(m_pTestImg->Handle(), &record);
}

}  // namespace manager
