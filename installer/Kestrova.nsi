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

!ifndef KV_ROOT_KEY  ; the programs' registry root, handed over by the build
  !error "KV_ROOT_KEY is not defined"
!endif
!define KV_RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define KV_RUN_VALUE "Kestrova Agent"
!define KV_UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"
!define KV_UNINSTALL_NAME "Kestrova"
!define KV_MENU_FOLDER "$SMPROGRAMS\Kestrova"
; For the files opened through the System plug-in.
!define GENERIC_READ 0x80000000
!define GENERIC_WRITE 0x40000000
!define FILE_SHARE_READ 1
!define OPEN_EXISTING 3

Page directory
Page instfiles

Var InstallLog
Var OldLog         ; the log of an earlier installation into this folder, copied aside, or empty
Var RegisteredLog  ; the log of the installation registered in \Setup, copied aside, or empty
Var AgentStopped   ; 1 when a running Agent was asked to end for the installation
Var Found          ; result of the log look-ups below
Var FileCrc        ; result of FileCrc32
Var OldIdentified  ; results of ReadOldLogOfPicture
Var OldListedTime
Var OldLogUtc
Var TimeUnits      ; result of InstallTimeUnits

; One line of Install.log: a ten-character tag (nine characters and a blank) and its argument.
!macro LogLine TAG ARGUMENT
  FileWrite $InstallLog "${TAG} ${ARGUMENT}$\r$\n"
!macroend

; $Found = 1 when the log file LOG holds a line whose argument (from the 11th character) is ARGUMENT,
; or, with WHOLE 1, a line that is LINE as a whole; letters are compared without regard to case.
Function LogLookUp
  Exch $R0  ; what is looked for
  Exch
  Exch $R1  ; 1: whole lines, 0: arguments
  Exch 2
  Exch $R2  ; the log file
  Push $R3
  Push $R4
  Push $R5
  StrCpy $Found 0
  StrCmp $R2 "" done
  ClearErrors
  FileOpen $R3 $R2 r
  IfErrors done
  loop:
    ClearErrors
    FileRead $R3 $R4
    IfErrors close
  trim:
    StrCpy $R5 $R4 1 -1
    StrCmp $R5 "$\r" strip
    StrCmp $R5 "$\n" strip compare
  strip:
    StrCpy $R4 $R4 -1
    Goto trim
  compare:
    StrCmp $R1 1 +2
    StrCpy $R4 $R4 "" 10
    StrCmp $R4 $R0 0 loop
    StrCpy $Found 1
  close:
  FileClose $R3
  done:
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2  ; the exchanges above left the caller's $R2, $R0 and $R1 on the stack in this order
  Pop $R0
  Pop $R1
FunctionEnd
!macro LogLists LOG WHOLE TEXT
  Push "${LOG}"
  Push "${WHOLE}"
  Push "${TEXT}"
  Call LogLookUp
!macroend

; $Found = 1 when PATH is this installation's to replace: listed by the earlier installation into
; this folder, or (for the files every installation shares: the screen saver, the Start-menu
; entries) by the registered installation.
!macro IsOurs PATH SHARED
  !insertmacro LogLists $OldLog 0 "${PATH}"
  ${If} $Found == 0
  ${AndIf} ${SHARED} == 1
    !insertmacro LogLists $RegisteredLog 0 "${PATH}"
  ${EndIf}
!macroend

; $R9 = "<size> <last write time as 16 hex digits>" of a file, as the uninstaller compares them.
Function FileIdentity
  Exch $R0
  Push $R1
  Push $R2
  FileOpen $R1 $R0 r
  FileSeek $R1 0 END $R9
  FileClose $R1
  GetFileTime $R0 $R1 $R2
  IntFmt $R1 "%08X" $R1
  IntFmt $R2 "%08X" $R2
  StrCpy $R9 "$R9 $R1$R2"
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

; A file the installer may write: absent, or installed by Kestrova before. Anything else is the
; user's or another program's, and the installation stops before it is touched.
!macro RequireOurs PATH SHARED
  ${If} ${FileExists} "${PATH}"
    !insertmacro IsOurs "${PATH}" ${SHARED}
    ${If} $Found == 0
      MessageBox MB_ICONSTOP|MB_OK "${PATH} was not installed by Kestrova and is not replaced. Choose another folder." /SD IDOK
      Abort
    ${EndIf}
  ${EndIf}
!macroend

!macro InstallProgram SOURCE NAME
  !insertmacro RequireOurs "$OUTDIR\${NAME}" 0
  File "/oname=${NAME}" "${SOURCE}"
  !insertmacro LogLine S_PRGFILE "$OUTDIR\${NAME}"
!macroend

; A folder the installation uses: logged when it made it, or an earlier installation did.
!macro UseFolder PATH SHARED
  ${If} ${FileExists} "${PATH}\*.*"
    !insertmacro IsOurs "${PATH}" ${SHARED}
  ${Else}
    CreateDirectory "${PATH}"
    StrCpy $Found 1
  ${EndIf}
  ${If} $Found == 1
    !insertmacro LogLine S_FOLDER_ "${PATH}"
  ${EndIf}
!macroend

; Used by the generated picture list: a folder's line stands above the lines of its files, since the
; uninstaller walks the log from the end.
!macro BeginPictureFolder SUBFOLDER
  !insertmacro UseFolder "$INSTDIR\${SUBFOLDER}" 0
  SetOutPath "$INSTDIR\${SUBFOLDER}"
!macroend

; $FileCrc = the CRC-32 of a file's content as 8 hex digits (as zip files have it, and the
; uninstaller compares it), or empty when the file cannot be read.
!define CRC_CHUNK 65536
Function FileCrc32
  Exch $0  ; the file
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $FileCrc ""
  System::Call 'kernel32::CreateFileA(t r0, i ${GENERIC_READ}, i ${FILE_SHARE_READ}, i 0, i ${OPEN_EXISTING}, i 0, i 0) i .r1'
  ${If} $1 != -1
    System::Alloc ${CRC_CHUNK}
    Pop $2
    StrCpy $3 0
    ${Do}
      System::Call 'kernel32::ReadFile(i r1, i r2, i ${CRC_CHUNK}, *i 0 r4, i 0) i .r5'
      ${If} $5 == 0
        StrCpy $3 ""
        ${Break}
      ${EndIf}
      ${IfThen} $4 == 0 ${|} ${Break} ${|}
      System::Call 'ntdll::RtlComputeCrc32(i r3, i r2, i r4) i .r3'
    ${Loop}
    System::Free $2
    System::Call 'kernel32::CloseHandle(i r1)'
    ${If} $3 != ""
      IntFmt $FileCrc "%08X" $3
    ${EndIf}
  ${EndIf}
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; What the earlier installation's log says of the picture PATH, read as the uninstaller reads it:
;   $OldIdentified  1 when an S_IMGID__ line names it, with or without a checksum;
;   $OldListedTime  the argument of the S_TIME___ line nearest below its (last) S_IMGFILE line, the
;                   time it is judged against; empty when it is not listed or no time line follows;
;   $OldLogUtc      1 when the log's time lines are UTC (an S_ZONE___ UTC line anywhere in it).
Function ReadOldLogOfPicture
  Exch $R0  ; the picture
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  Push $R6
  StrCpy $OldIdentified 0
  StrCpy $OldListedTime ""
  StrCpy $OldLogUtc 0
  StrCpy $R5 0  ; 1 from the picture's S_IMGFILE line to the next time line
  StrCmp $OldLog "" done
  ClearErrors
  FileOpen $R1 $OldLog r
  IfErrors done
  loop:
    ClearErrors
    FileRead $R1 $R2
    IfErrors close
  trim:
    StrCpy $R3 $R2 1 -1
    StrCmp $R3 "$\r" strip
    StrCmp $R3 "$\n" strip split
  strip:
    StrCpy $R2 $R2 -1
    Goto trim
  split:
    StrCpy $R3 $R2 10
    StrCpy $R4 $R2 "" 10
    ${If} $R3 == "S_IMGFILE "
      ${If} $R4 == $R0
        StrCpy $R5 1
        StrCpy $OldListedTime ""
      ${EndIf}
    ${ElseIf} $R3 == "S_TIME___ "
      ${If} $R5 == 1
        StrCpy $OldListedTime $R4
        StrCpy $R5 0
      ${EndIf}
    ${ElseIf} $R3 == "S_ZONE___ "
      ${Do}
        StrCpy $R3 $R4 1
        ${IfThen} $R3 != " " ${|} ${Break} ${|}
        StrCpy $R4 $R4 "" 1
      ${Loop}
      ${Do}
        StrCpy $R3 $R4 1 -1
        ${IfThen} $R3 != " " ${|} ${Break} ${|}
        StrCpy $R4 $R4 -1
      ${Loop}
      ${IfThen} $R4 == "UTC" ${|} StrCpy $OldLogUtc 1 ${|}
    ${ElseIf} $R3 == "S_IMGID__ "
      ; "<size> <16 hex digits> [<8 hex digits> ]<path>"
      StrCpy $R6 0
      ${Do}
        StrCpy $R3 $R4 1 $R6
        ${IfThen} $R3 == " " ${|} ${Break} ${|}
        ${IfThen} $R3 == "" ${|} ${Break} ${|}
        IntOp $R6 $R6 + 1
      ${Loop}
      IntOp $R6 $R6 + 18
      StrCpy $R4 $R4 "" $R6
      StrCpy $R3 $R4 1 8
      ${If} $R4 == $R0
        StrCpy $OldIdentified 1
      ${ElseIf} $R3 == " "
        StrCpy $R4 $R4 "" 9
        ${IfThen} $R4 == $R0 ${|} StrCpy $OldIdentified 1 ${|}
      ${EndIf}
    ${EndIf}
    Goto loop
  close:
  FileClose $R1
  done:
  Pop $R6
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

; $R4 = the number of $R3 decimal digits at position $R2 of $R0, or empty when one is no digit. The
; digits are added up one by one: IntOp would read "08" as a bad octal number.
Function DecimalField
  Push $R1
  Push $R5
  Push $R6
  StrCpy $R4 0
  StrCpy $R6 $R3
  ${Do}
    StrCpy $R5 $R0 1 $R2
    IntOp $R1 $R5 + 0
    ${If} "$R1" != "$R5"
      StrCpy $R4 ""
      ${Break}
    ${EndIf}
    IntOp $R4 $R4 * 10
    IntOp $R4 $R4 + $R5
    IntOp $R2 $R2 + 1
    IntOp $R6 $R6 - 1
  ${LoopUntil} $R6 == 0
  Pop $R6
  Pop $R5
  Pop $R1
FunctionEnd

; $TimeUnits = an S_TIME___ argument ("dd.mm.yyyy hh:mm", the start of that minute) as a FILETIME in
; 100 ns units since 1601, UTC, converted as the uninstaller converts it; empty when it is no time.
Function InstallTimeUnits
  Exch $R0  ; the argument
  Exch
  Exch $R1  ; 1: UTC, 0: local time
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  Push $R6
  Push $R7
  Push $R8
  Push $R9
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  StrCpy $TimeUnits ""
  StrCpy $R9 $R1
  StrCpy $1 ""
  StrCpy $2 ""
  StrCpy $3 ""
  StrCpy $4 ""
  StrCpy $5 ""
  StrCpy $R2 0
  StrCpy $R3 2
  Call DecimalField
  StrCpy $1 $R4  ; day
  ${If} $1 != ""
    StrCpy $R2 3
    StrCpy $R3 2
    Call DecimalField
    StrCpy $2 $R4  ; month
  ${EndIf}
  ${If} $2 != ""
    StrCpy $R2 6
    StrCpy $R3 4
    Call DecimalField
    StrCpy $3 $R4  ; year
  ${EndIf}
  ${If} $3 != ""
    StrCpy $R2 11
    StrCpy $R3 2
    Call DecimalField
    StrCpy $4 $R4  ; hour
  ${EndIf}
  ${If} $4 != ""
    StrCpy $R2 14
    StrCpy $R3 2
    Call DecimalField
    StrCpy $5 $R4  ; minute
  ${EndIf}
  ${If} $5 != ""
  ${AndIf} $3 >= 1601
    System::Call '*(&i2 r3, &i2 r2, &i2 0, &i2 r1, &i2 r4, &i2 r5, &i2 0, &i2 0) i .R5'
    System::Call '*(&i2 0, &i2 0, &i2 0, &i2 0, &i2 0, &i2 0, &i2 0, &i2 0) i .R6'
    System::Call '*(l 0) i .R7'
    ${If} $R9 == 1
      System::Call 'kernel32::SystemTimeToFileTime(i R5, i R7) i .r6'
    ${Else}
      System::Call 'kernel32::TzSpecificLocalTimeToSystemTime(i 0, i R5, i R6) i .r6'
      ${If} $6 != 0
        System::Call 'kernel32::SystemTimeToFileTime(i R6, i R7) i .r6'
      ${EndIf}
    ${EndIf}
    ${If} $6 != 0
      System::Call '*$R7(l .R8)'
      StrCpy $TimeUnits $R8
    ${EndIf}
    System::Free $R5
    System::Free $R6
    System::Free $R7
  ${EndIf}
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $R9
  Pop $R8
  Pop $R7
  Pop $R6
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

; $Found = 1 when the existing picture PATH is as the earlier installation into this folder left it.
; Its own size, write time and content are looked up among the log's identity lines, so that a
; picture an earlier version shipped with other content is known too. A log without any identity
; line for it (written before those lines existed) is judged as the uninstaller judges it: the
; picture is the installation's when listed and not written after the log's time line.
Function IsOurPicture
  Exch $R0  ; the picture
  Push $R1
  Push $R2
  Push $R9
  StrCpy $Found 0
  Push $R0
  Call FileIdentity
  Push $R0
  Call FileCrc32
  ${If} $FileCrc != ""
    !insertmacro LogLists $OldLog 1 "S_IMGID__ $R9 $FileCrc $R0"
  ${EndIf}
  ${If} $Found == 0  ; a line of an installer that logged no checksum
    !insertmacro LogLists $OldLog 1 "S_IMGID__ $R9 $R0"
  ${EndIf}
  ${If} $Found == 0
    Push $R0
    Call ReadOldLogOfPicture
    ${If} $OldIdentified == 0
    ${AndIf} $OldListedTime != ""
      Push $OldLogUtc
      Push $OldListedTime
      Call InstallTimeUnits
      ClearErrors
      GetFileTime $R0 $R1 $R2
      ${If} $TimeUnits != ""
      ${AndIfNot} ${Errors}
        System::Int64Op $R1 << 32
        Pop $R1
        System::Int64Op $R2 & 4294967295
        Pop $R2
        System::Int64Op $R1 | $R2
        Pop $R1
        System::Int64Op $R1 > $TimeUnits
        Pop $R2
        ${IfThen} $R2 == 0 ${|} StrCpy $Found 1 ${|}
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $R9
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

; A picture is written where there is none, or over one the earlier installation left as it was; a
; picture of the user's, or one the user changed, stays as it is and is not logged.
; CHECKSUM is the CRC-32 of the shipped content, computed by the build; the uninstaller compares it
; with the file's, since an editor may keep a file's size and date.
!macro InstallPicture SUBFOLDER NAME SOURCE CHECKSUM
  StrCpy $Found 1
  ${If} ${FileExists} "$INSTDIR\${SUBFOLDER}\${NAME}"
    Push "$INSTDIR\${SUBFOLDER}\${NAME}"
    Call IsOurPicture
    ${If} $Found == 0
      DetailPrint "Kept $INSTDIR\${SUBFOLDER}\${NAME}: it is not as Kestrova installed it."
    ${EndIf}
  ${EndIf}
  ${If} $Found == 1
    File "/oname=${NAME}" "${SOURCE}"
    Push "$INSTDIR\${SUBFOLDER}\${NAME}"
    Call FileIdentity
    !insertmacro LogLine S_IMGFILE "$INSTDIR\${SUBFOLDER}\${NAME}"
    !insertmacro LogLine S_IMGID__ "$R9 ${CHECKSUM} $INSTDIR\${SUBFOLDER}\${NAME}"
  ${EndIf}
!macroend

!macro AddShortcut NAME TARGET
  !insertmacro RequireOurs "${KV_MENU_FOLDER}\${NAME}.lnk" 1
  CreateShortcut "${KV_MENU_FOLDER}\${NAME}.lnk" "${TARGET}"
  !insertmacro LogLine S_LNKFILE "${KV_MENU_FOLDER}\${NAME}.lnk"
!macroend

; A program file that is to be replaced but is held open by another program would stay old beside
; new ones: the installation stops first, with nothing changed.
!macro RequireReplaceable PATH
  ${If} ${FileExists} "${PATH}"
    System::Call 'kernel32::CreateFileA(t "${PATH}", i ${GENERIC_WRITE}, i 7, i 0, i ${OPEN_EXISTING}, i 0, i 0) i .r0'
    ${If} $0 == -1
      MessageBox MB_ICONSTOP|MB_OK "Cannot replace ${PATH}: another program is using it. Close it and run the setup again." /SD IDOK
      Abort
    ${EndIf}
    System::Call 'kernel32::CloseHandle(i r0)'
  ${EndIf}
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
  StrCpy $AgentStopped 1
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

; $R0 = the long form of the path on the stack: the full path the system makes of it (without "."
; and ".." parts, trailing dots and blanks), its longest existing part as the system names it (short
; 8.3 names expanded), the rest as given; no trailing backslash but for a drive's root.
Function LongForm
  Exch $R0
  Push $R1  ; the part looked up
  Push $R2  ; the rest of the path, after that part
  Push $R3
  Push $R4
  System::Call 'kernel32::GetFullPathNameA(t R0, i ${NSIS_MAX_STRLEN}, t .R3, i 0) i .R4'
  ${If} $R4 > 0
  ${AndIf} $R4 < ${NSIS_MAX_STRLEN}
    StrCpy $R0 $R3
  ${EndIf}
  StrCpy $R1 $R0
  StrCpy $R2 ""
  ${Do}
    System::Call 'kernel32::GetLongPathNameA(t R1, t .R3, i ${NSIS_MAX_STRLEN}) i .R4'
    ${If} $R4 > 0
    ${AndIf} $R4 < ${NSIS_MAX_STRLEN}
      StrCpy $R0 "$R3$R2"
      ${Break}
    ${EndIf}
    ${GetParent} $R1 $R3
    StrLen $R4 $R3
    ${IfThen} $R4 <= 2 ${|} ${Break} ${|}  ; only the drive is left: nothing of the path exists
    StrCpy $R4 $R1 "" $R4
    StrCpy $R2 "$R4$R2"
    StrCpy $R1 $R3
  ${Loop}
  StrCpy $R1 $R0 1 -1
  StrLen $R2 $R0
  ${If} $R1 == "\"
  ${AndIf} $R2 > 3
    StrCpy $R0 $R0 -1
  ${EndIf}
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

Var CheckedFolder  ; the install folder's long form without any trailing backslash, as compared

; The installation stops when the install folder is the known folder on the stack or holds it.
Function RefuseKnownFolder
  Exch $R0
  Push $R1
  Push $R2
  ${If} $R0 != ""
    Push $R0
    Call LongForm
    Pop $R0
    StrCpy $R1 $R0 1 -1
    ${IfThen} $R1 == "\" ${|} StrCpy $R0 $R0 -1 ${|}
    StrLen $R1 $CheckedFolder
    StrCpy $R2 $R0 $R1
    ${If} $R2 == $CheckedFolder  ; StrCmp: letters without regard to case
      StrCpy $R2 $R0 1 $R1
      ${If} $R2 == ""
      ${OrIf} $R2 == "\"
        MessageBox MB_ICONSTOP|MB_OK "Cannot install into the folder $INSTDIR: it is a folder of the system or of your own ($R0)." /SD IDOK
        Abort
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

!macro RefuseShellFolder CSIDL
  System::Call 'shell32::SHGetFolderPathA(i 0, i ${CSIDL}, i 0, i 0, t .R1) i .R2'
  ${If} $R2 == 0
  ${OrIf} $R2 == 1  ; S_FALSE: the folder is named but not made yet
    Push $R1
    Call RefuseKnownFolder
  ${EndIf}
!macroend

; $INSTDIR becomes its long form, the form the log, the registry and the uninstaller use. It may
; not be one of the folders of the system or of its users, nor hold one: the uninstaller would
; refuse such an installation, and the folder's own files would be mixed with the programs'.
; A folder inside one (Program Files\Kestrova, Downloads\Kestrova) is taken.
Function CheckInstallFolder
  Push $R1
  Push $R2
  Push $R3
  Push $INSTDIR
  Call LongForm
  Pop $INSTDIR
  StrCpy $CheckedFolder $INSTDIR
  StrCpy $R1 $CheckedFolder 1 -1
  ${IfThen} $R1 == "\" ${|} StrCpy $CheckedFolder $CheckedFolder -1 ${|}
  ; The folders the uninstaller counts as the system's and its users'.
  !insertmacro RefuseShellFolder 0x0024  ; CSIDL_WINDOWS
  !insertmacro RefuseShellFolder 0x0025  ; CSIDL_SYSTEM
  !insertmacro RefuseShellFolder 0x0026  ; CSIDL_PROGRAM_FILES
  !insertmacro RefuseShellFolder 0x002b  ; CSIDL_PROGRAM_FILES_COMMON
  !insertmacro RefuseShellFolder 0x0028  ; CSIDL_PROFILE
  !insertmacro RefuseShellFolder 0x0010  ; CSIDL_DESKTOPDIRECTORY
  !insertmacro RefuseShellFolder 0x0005  ; CSIDL_PERSONAL
  !insertmacro RefuseShellFolder 0x0027  ; CSIDL_MYPICTURES
  !insertmacro RefuseShellFolder 0x000d  ; CSIDL_MYMUSIC
  !insertmacro RefuseShellFolder 0x000e  ; CSIDL_MYVIDEO
  !insertmacro RefuseShellFolder 0x001a  ; CSIDL_APPDATA
  !insertmacro RefuseShellFolder 0x001c  ; CSIDL_LOCAL_APPDATA
  !insertmacro RefuseShellFolder 0x0006  ; CSIDL_FAVORITES
  !insertmacro RefuseShellFolder 0x0002  ; CSIDL_PROGRAMS
  !insertmacro RefuseShellFolder 0x000b  ; CSIDL_STARTMENU
  !insertmacro RefuseShellFolder 0x0007  ; CSIDL_STARTUP
  !insertmacro RefuseShellFolder 0x0009  ; CSIDL_SENDTO
  !insertmacro RefuseShellFolder 0x0008  ; CSIDL_RECENT
  !insertmacro RefuseShellFolder 0x0015  ; CSIDL_TEMPLATES
  !insertmacro RefuseShellFolder 0x0014  ; CSIDL_FONTS
  !insertmacro RefuseShellFolder 0x0023  ; CSIDL_COMMON_APPDATA
  !insertmacro RefuseShellFolder 0x0019  ; CSIDL_COMMON_DESKTOPDIRECTORY
  !insertmacro RefuseShellFolder 0x002e  ; CSIDL_COMMON_DOCUMENTS
  !insertmacro RefuseShellFolder 0x0036  ; CSIDL_COMMON_PICTURES
  !insertmacro RefuseShellFolder 0x0035  ; CSIDL_COMMON_MUSIC
  !insertmacro RefuseShellFolder 0x0037  ; CSIDL_COMMON_VIDEO
  !insertmacro RefuseShellFolder 0x001f  ; CSIDL_COMMON_FAVORITES
  !insertmacro RefuseShellFolder 0x0017  ; CSIDL_COMMON_PROGRAMS
  !insertmacro RefuseShellFolder 0x0016  ; CSIDL_COMMON_STARTMENU
  !insertmacro RefuseShellFolder 0x0018  ; CSIDL_COMMON_STARTUP
  !insertmacro RefuseShellFolder 0x002d  ; CSIDL_COMMON_TEMPLATES
  !insertmacro RefuseShellFolder 0x0020  ; CSIDL_INTERNET_CACHE
  !insertmacro RefuseShellFolder 0x0021  ; CSIDL_COOKIES
  !insertmacro RefuseShellFolder 0x0022  ; CSIDL_HISTORY
  System::Call 'kernel32::GetTempPathA(i ${NSIS_MAX_STRLEN}, t .R1) i .R2'
  ${If} $R2 > 0
    Push $R1
    Call RefuseKnownFolder
  ${EndIf}
  ; Downloads has no CSIDL; the system names it only as a known folder (FOLDERID_Downloads).
  System::Call 'shell32::SHGetKnownFolderPath(g "{374DE290-123F-4565-9164-39C4925E467B}", i 0, i 0, *i .R1) i .R2'
  ${If} $R2 == 0
    System::Call 'kernel32::WideCharToMultiByte(i 0, i 0, i R1, i -1, t .R2, i ${NSIS_MAX_STRLEN}, i 0, i 0) i .R3'
    System::Call 'ole32::CoTaskMemFree(i R1)'
    ${If} $R3 > 0
      Push $R2
      Call RefuseKnownFolder
    ${EndIf}
  ${EndIf}
  ; The folder of all profiles, the parent of the user's own. (The uninstaller counts every folder
  ; directly in the profile as the user's too, but for the install folder itself; the install folder
  ; holds another of them only by holding the profile.)
  System::Call 'shell32::SHGetFolderPathA(i 0, i 0x0028, i 0, i 0, t .R1) i .R2'
  ${If} $R2 == 0
  ${OrIf} $R2 == 1
    Push $R1
    Call LongForm
    Pop $R1
    ${GetParent} $R1 $R2
    StrLen $R1 $R2
    ${If} $R1 > 2
      Push $R2
      Call RefuseKnownFolder
    ${EndIf}
  ${EndIf}
  Pop $R3
  Pop $R2
  Pop $R1
FunctionEnd

; A /D= folder that the installer could not take as given (not absolute, in quotes, or with
; characters the system's code page lacks, which arrive as '?') is refused, never swapped for the
; default.
Function .onInit
  System::Call 'kernel32::GetCommandLineA() t .r0'
  StrLen $1 $0
  StrCpy $2 0
  StrCpy $3 ""
  ${Do}
    StrCpy $4 $0 4 $2
    ${If} $4 == " /D="
    ${OrIf} $4 == '"/D='
      IntOp $5 $2 + 4
      StrCpy $3 $0 "" $5
    ${EndIf}
    IntOp $2 $2 + 1
  ${LoopUntil} $2 >= $1
  ; In quotes the folder is not taken at all; the quote is no part of its name.
  StrCpy $4 $3 1 -1
  ${If} $4 == '"'
    StrCpy $3 $3 -1
  ${EndIf}
  ${If} $3 != ""
    StrCpy $4 $3 1 -1
    ${If} $4 == "\"
      StrCpy $3 $3 -1
    ${EndIf}
    ${If} $3 != $INSTDIR
      MessageBox MB_ICONSTOP|MB_OK "Cannot install into the folder $3: it is not a full path the system can use." /SD IDOK
      Abort
    ${EndIf}
  ${EndIf}
  Call CheckInstallFolder
FunctionEnd

; The Agent that was running before is running again, the new one or, after a failure, the old one.
Function RestartAgent
  ${If} $AgentStopped == 1
  ${AndIf} ${FileExists} "$INSTDIR\KvAgent.exe"
    Exec '"$INSTDIR\KvAgent.exe"'
  ${EndIf}
FunctionEnd

Function .onInstFailed
  Call RestartAgent
FunctionEnd

Section "Kestrova"
  ; The folder as the directory page left it, checked as a /D= folder is in .onInit.
  Call CheckInstallFolder
  SetShellVarContext all
  SetOverwrite on
  AllowSkipFiles off  ; a file that cannot be written stops the installation, never passes silently
  InitPluginsDir

  ; What earlier installations made: this folder's own log (only a log of Kestrova's, which lists
  ; itself), and the log of the registered installation for the files all installations share.
  StrCpy $OldLog ""
  ${If} ${FileExists} "$INSTDIR\Install.log"
    !insertmacro LogLists "$INSTDIR\Install.log" 0 "$INSTDIR\Install.log"
    ${If} $Found == 0
      MessageBox MB_ICONSTOP|MB_OK "$INSTDIR holds an Install.log of another program. Choose another folder." /SD IDOK
      Abort
    ${EndIf}
    CopyFiles /SILENT "$INSTDIR\Install.log" "$PLUGINSDIR\old.log"
    StrCpy $OldLog "$PLUGINSDIR\old.log"
  ${EndIf}
  StrCpy $RegisteredLog ""
  ReadRegStr $0 HKLM "${KV_ROOT_KEY}\Setup" "InstalledPrgDir"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\Install.log"
    CopyFiles /SILENT "$0\Install.log" "$PLUGINSDIR\registered.log"
    StrCpy $RegisteredLog "$PLUGINSDIR\registered.log"
  ${EndIf}

  Call StopRunningAgent
  ; Nothing is changed while a file to be replaced is held open.
  !insertmacro RequireReplaceable "$INSTDIR\KvImage.dll"
  !insertmacro RequireReplaceable "$INSTDIR\KvApi.dll"
  !insertmacro RequireReplaceable "$INSTDIR\KvAgent.exe"
  !insertmacro RequireReplaceable "$INSTDIR\KvManag.exe"
  !insertmacro RequireReplaceable "$INSTDIR\KvLang.dat"
  !insertmacro RequireReplaceable "$INSTDIR\Kestrova.chm"
  !insertmacro RequireReplaceable "$INSTDIR\Uninstall.exe"
  !insertmacro RequireReplaceable "$SYSDIR\Kestrova.scr"

  ; The folders made for the install folder, outermost first, so that each stands above the next.
  StrCpy $1 $INSTDIR
  StrCpy $2 ""
  ${Do}
    ${IfThen} ${FileExists} "$1\*.*" ${|} ${Break} ${|}
    StrCpy $2 "$1|$2"
    ${GetParent} $1 $3
    ${IfThen} $3 == $1 ${|} ${Break} ${|}
    ${IfThen} $3 == "" ${|} ${Break} ${|}
    StrCpy $1 $3
  ${Loop}
  ${If} ${FileExists} "$INSTDIR\*.*"
    !insertmacro IsOurs "$INSTDIR" 0
    StrCpy $4 $Found
  ${Else}
    StrCpy $4 0
  ${EndIf}
  ClearErrors
  CreateDirectory "$INSTDIR"
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "$INSTDIR\*.*"
    MessageBox MB_ICONSTOP|MB_OK "Cannot create the folder $INSTDIR." /SD IDOK
    Abort
  ${EndIf}

  ; The log is written as things are created; without it the uninstaller could remove nothing.
  ClearErrors
  FileOpen $InstallLog "$INSTDIR\Install.log" w
  ${If} ${Errors}
    MessageBox MB_ICONSTOP|MB_OK "Cannot write $INSTDIR\Install.log." /SD IDOK
    Abort
  ${EndIf}
  ${Do}
    ${IfThen} $2 == "" ${|} ${Break} ${|}
    StrCpy $3 0
    ${Do}
      StrCpy $5 $2 1 $3
      ${IfThen} $5 == "|" ${|} ${Break} ${|}
      IntOp $3 $3 + 1
    ${Loop}
    StrCpy $5 $2 $3
    IntOp $3 $3 + 1
    StrCpy $2 $2 "" $3
    !insertmacro LogLine S_FOLDER_ "$5"
  ${Loop}
  ${If} $4 == 1
    !insertmacro LogLine S_FOLDER_ "$INSTDIR"
  ${EndIf}

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
  !insertmacro RequireOurs "$SYSDIR\Kestrova.scr" 1
  File "/oname=Kestrova.scr" "${KV_SAVER}"
  !insertmacro LogLine S_PRGFILE "$SYSDIR\Kestrova.scr"
  ; Its identity tells the uninstaller that the screen saver there is still the one this folder's
  ; installation wrote.
  Push "$SYSDIR\Kestrova.scr"
  Call FileIdentity
  Push "$SYSDIR\Kestrova.scr"
  Call FileCrc32
  ${If} $FileCrc != ""
    !insertmacro LogLine S_IMGID__ "$R9 $FileCrc $SYSDIR\Kestrova.scr"
  ${EndIf}

  SetOutPath "$INSTDIR"  ; the shortcuts' working folder
  !insertmacro UseFolder "${KV_MENU_FOLDER}" 1
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
  ; The time is UTC, the file system's own time base, so a change of time zone before the removal
  ; changes nothing; the line says so for the uninstaller, which reads logs without it as local time.
  !insertmacro LogLine S_PRGFILE "$INSTDIR\Install.log"
  !insertmacro LogLine S_ZONE___ "UTC"
  ${GetTime} "" "LS" $0 $1 $2 $3 $4 $5 $6
  !insertmacro LogLine S_TIME___ "$0.$1.$2 $4:$5"
  FileClose $InstallLog
  Call RestartAgent
SectionEnd
