; KestrovaSetup.exe: puts the programs, the Manager's language file and help, the textures, sample
; photographs and the screen saver in place; writes what the programs read from HKEY_LOCAL_MACHINE,
; the Agent's start at log-on, the entry in the list of installed programs and a Start-menu folder;
; and records everything it created in Install.log, in the order it created it, for Uninstall.exe.
;
; Built by CMake (installer/CMakeLists.txt), which defines:
;   KV_OUTFILE                  the installer to write
;   KV_AGENT KV_ENGINE KV_IMAGE KV_SAVER KV_UNINSTALL KV_LANGFILE KV_HELPFILE   the files to ship
;   KV_MANAGER                  the Manager's program, once it is built
;   KV_LANGUAGE_NSH KV_PICTURES_NSH   generated lines: the language texts, the pictures
; Silent with /S; /D=folder (last on the command line) names another install folder.

Unicode false  ; Install.log is an ANSI file, and FileWrite writes the installer's strings as they are
Name "Kestrova"
OutFile "${KV_OUTFILE}"
InstallDir "$PROGRAMFILES\Kestrova"
RequestExecutionLevel admin
SetCompressor zlib  ; photographs hardly shrink, and zlib builds in a fraction of the time
ShowInstDetails show

!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define KV_ROOT_KEY "Software\Dalvex\Kestrova"
!define KV_RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define KV_RUN_VALUE "Kestrova Agent"
!define KV_UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"
!define KV_UNINSTALL_NAME "Kestrova"
!define KV_MENU_FOLDER "$SMPROGRAMS\Kestrova"

Page directory
Page instfiles

Var InstallLog

; One line of Install.log: a ten-character tag (nine characters and a blank) and its argument.
!macro LogLine TAG ARGUMENT
  FileWrite $InstallLog "${TAG} ${ARGUMENT}$\r$\n"
!macroend

!macro InstallProgram SOURCE NAME
  File "/oname=${NAME}" "${SOURCE}"
  !insertmacro LogLine S_PRGFILE "$OUTDIR\${NAME}"
!macroend

; Used by the generated picture list: a folder's line stands above the lines of its files, since the
; uninstaller walks the log from the end.
!macro BeginPictureFolder SUBFOLDER
  SetOutPath "$INSTDIR\${SUBFOLDER}"
  !insertmacro LogLine S_FOLDER_ "$INSTDIR\${SUBFOLDER}"
!macroend

!macro InstallPicture SUBFOLDER NAME SOURCE
  File "/oname=${NAME}" "${SOURCE}"
  !insertmacro LogLine S_IMGFILE "$INSTDIR\${SUBFOLDER}\${NAME}"
!macroend

!macro AddShortcut NAME TARGET
  CreateShortcut "${KV_MENU_FOLDER}\${NAME}.lnk" "${TARGET}"
  !insertmacro LogLine S_LNKFILE "${KV_MENU_FOLDER}\${NAME}.lnk"
!macroend

; A running Agent (an installation over an earlier one) keeps KvAgent.exe open, so its file could
; not be replaced: it is asked to end through its close event, as the Manager and the uninstaller
; do, and it has ended when "KvAgentIsRunning" is gone (waited for at most 15 s).
!define EVENT_MODIFY_STATE 0x0002
!define SYNCHRONIZE 0x00100000
Function StopRunningAgent
  System::Call 'kernel32::OpenEventA(i ${EVENT_MODIFY_STATE}, i 0, t "KvAgentExternalClose") i .r0'
  ${If} $0 == 0
    Return
  ${EndIf}
  DetailPrint "Stopping Kestrova Agent..."
  System::Call 'kernel32::SetEvent(i r0)'
  System::Call 'kernel32::CloseHandle(i r0)'
  StrCpy $1 0
  ${Do}
    System::Call 'kernel32::OpenEventA(i ${SYNCHRONIZE}, i 0, t "KvAgentIsRunning") i .r0'
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(i r0)'
    Sleep 50
    IntOp $1 $1 + 50
  ${LoopUntil} $1 >= 15000
FunctionEnd

Section "Kestrova"
  SetShellVarContext all
  SetOverwrite on
  Call StopRunningAgent

  ; The log is written as things are created; without it the uninstaller could remove nothing.
  CreateDirectory "$INSTDIR"
  ClearErrors
  FileOpen $InstallLog "$INSTDIR\Install.log" w
  ${If} ${Errors}
    MessageBox MB_ICONSTOP|MB_OK "Cannot write $INSTDIR\Install.log." /SD IDOK
    Abort
  ${EndIf}
  !insertmacro LogLine S_FOLDER_ "$INSTDIR"

  SetOutPath "$INSTDIR"
  !insertmacro InstallProgram "${KV_IMAGE}" "KvImage.dll"
  !insertmacro InstallProgram "${KV_ENGINE}" "KvApi.dll"
  !insertmacro InstallProgram "${KV_AGENT}" "KvAgent.exe"
!ifdef KV_MANAGER
  !insertmacro InstallProgram "${KV_MANAGER}" "KvManag.exe"
!endif
  !insertmacro InstallProgram "${KV_LANGFILE}" "KvLang.dat"
  !insertmacro InstallProgram "${KV_HELPFILE}" "Kestrova.chm"
  !insertmacro InstallProgram "${KV_UNINSTALL}" "Uninstall.exe"

  !include "${KV_PICTURES_NSH}"

  ; The system's folder, where the platform lists screen savers; the saver finds the engine
  ; through "InstalledPrgDir".
  SetOutPath "$SYSDIR"
  !insertmacro InstallProgram "${KV_SAVER}" "Kestrova.scr"

  SetOutPath "$INSTDIR"  ; the shortcuts' working folder
  CreateDirectory "${KV_MENU_FOLDER}"
  !insertmacro LogLine S_FOLDER_ "${KV_MENU_FOLDER}"
!ifdef KV_MANAGER
  !insertmacro AddShortcut "Kestrova Manager" "$INSTDIR\KvManag.exe"
!endif
  !insertmacro AddShortcut "Kestrova Help" "$INSTDIR\Kestrova.chm"
  !insertmacro AddShortcut "Uninstall Kestrova" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${KV_ROOT_KEY}\Setup" "InstalledPrgDir" "$INSTDIR"
  WriteRegStr HKLM "${KV_ROOT_KEY}\Setup" "InstalledImgDir" "$INSTDIR\Images"
  !include "${KV_LANGUAGE_NSH}"

  WriteRegStr HKLM "${KV_RUN_KEY}" "${KV_RUN_VALUE}" '"$INSTDIR\KvAgent.exe" /r'
  !insertmacro LogLine S_AUTORUN "${KV_RUN_VALUE}"

  WriteRegStr HKLM "${KV_UNINSTALL_KEY}\${KV_UNINSTALL_NAME}" "DisplayName" "Kestrova"
  WriteRegStr HKLM "${KV_UNINSTALL_KEY}\${KV_UNINSTALL_NAME}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  !insertmacro LogLine S_UNINST_ "${KV_UNINSTALL_NAME}"

  ; The log lists itself, so that the folder can go too, and ends with the installation time that
  ; the image lines above it are judged against: an image written later was changed by the user.
  !insertmacro LogLine S_PRGFILE "$INSTDIR\Install.log"
  ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6
  !insertmacro LogLine S_TIME___ "$0.$1.$2 $4:$5"
  FileClose $InstallLog
SectionEnd
