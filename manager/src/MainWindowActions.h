// The windows the main window opens that are forms of their own: the image browser, the folder
// picker with its new-folder dialog, the settings dialog with its program picker and help pictures,
// and the screen-saver test window. The main
// window owns them from CreateSecondaryForms until it is destroyed; its start-up, buttons and
// shutdown reach them through this class (each call does nothing for a form that was not created).
#pragma once

#include <windows.h>

#include <memory>

#include "Ffilelist.h"
#include "FormPictures.h"
#include "Fprocessenum.h"
#include "Fsettings.h"
#include "FTree.h"
#include "UiForm.h"

class CFileCollection;
struct RegistryRecord;

namespace manager {

class CSettings;
struct ManagerWindowPositions;

class SecondaryForms {
public:
    SecondaryForms() = default;
    ~SecondaryForms() { Destroy(); }
    SecondaryForms(const SecondaryForms&) = delete;
    SecondaryForms& operator=(const SecondaryForms&) = delete;

    // In the program's order of forms: the settings dialog shows the help pictures and opens the
    // program picker, so both are made before it. False, with none kept, when one could not be made.
    bool Create(HWND mainWindow, CSettings& settings);
    // Destroys them again, before the main window goes.
    void Destroy();

    // The folder picker the add button opens; null before Create.
    TFormTree* FolderPicker() const { return m_pTree.get(); }

    // The Manager texts on the forms again, once the main window has loaded the language.
    void ApplyTexts();
    // The picker becomes the editor of the schema's program lists (the schema is rebuilt by the first show).
    void UseProgramPicker(CSettings& settings);
    // The outer sizes of the browser and the settings dialog, so the main window places the real windows.
    void TakeSizes(ManagerWindowPositions& positions);
    // The browser and the settings dialog moved to where `positions` places them.
    void Place(const ManagerWindowPositions& positions);
    // Their places under \Manager (an open key).
    void ReadPositions(HKEY managerKey);
    void WritePositions(HKEY managerKey);

    // Shows the image browser modally with a copy of the record and the image list.
    void OpenImageBrowser(CFileCollection& files, const RegistryRecord& record);
    // Shows the settings dialog; true when it was closed with OK.
    bool OpenSettingsDialog();
    // Shows the test window and lets the screen saver's engine paint into it.
    void OpenScreenSaverTest(RegistryRecord& record);

private:
    std::unique_ptr<ui::Owner<TFormFileList>> m_pFileList;
    std::unique_ptr<ui::Owner<TFormNewFolder>> m_pNewFolder;
    std::unique_ptr<ui::Owner<TFormPictures>> m_pPictures;
    std::unique_ptr<ui::Owner<TFormSettings>> m_pSettings;
    std::unique_ptr<ui::Owner<TFormTree>> m_pTree;
    std::unique_ptr<ui::Owner<TFormTestImg>> m_pTestImg;
    std::unique_ptr<ui::Owner<TFormProcessEnum>> m_pProcessEnum;
};

}  // namespace manager
