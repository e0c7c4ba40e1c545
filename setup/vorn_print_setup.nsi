; The Windows setup program of the VORN print utility: installs Kelvarin.exe and Tesmo.exe into
; one folder that only administrators can change, runs Tesmo for the drive installed to with a
; test quote to print, and registers an uninstaller.
;
;   makensis -DVERSION=1.0 -DBIN_DIR=<folder of the two programs> -DOUT_FILE=<setup.exe>
;            -DICON=<kelvarin.ico> vorn_print_setup.nsi
;
; Command line of the setup program:
;   /S             silent: no pages; Tesmo still runs and asks the user (see /NOTESMO)
;   /NOTESMO       do not run Tesmo after copying (configure the VORN programs later)
;   /D=<folder>    install there (last on the command line, no quotes): X:\<folder>
; Exit status 0 when installed; 2 when setup stopped (a folder it cannot use, rights it could
; not set in a silent setup, a program file it could not replace). Every step that decides
; this is also written to %TEMP%\VornPrintSetup.log.

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef BIN_DIR
  !error "BIN_DIR is not defined"
!endif

Unicode true
; A 64-bit setup for 64-bit programs: it runs on every Windows the programs run on.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
Name "VORN Print Utility"
OutFile "${OUT_FILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
RequestExecutionLevel admin
; A program file that cannot be replaced (Kelvarin running while setup upgrades) is never
; skipped: the user may retry or abort, and a silent setup ends with a failure status.
AllowSkipFiles off
ShowInstDetails show
ShowUninstDetails show
BrandingText "VORN Print Utility ${VERSION}"

!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VornPrintUtility"
!define SETTINGS_KEY "Software\VORN\Print Utility"
; A name of its own: a folder may already hold another program's Uninstall.exe.
!define UNINSTALLER "VornPrintUninstall.exe"
; The uninstaller's name before it had its own; an upgrade removes it.
!define OLD_UNINSTALLER "Uninstall.exe"
; Tesmo runs here, so that its Print Test Page finds a quote to print; Kelvarin leaves its
; Printer.inp here too.
!define TEST_DIR "TestPage"
!define LOG_FILE "$TEMP\VornPrintSetup.log"
; Groups are named by SID, which is the same in every language of Windows.
!define SID_ADMINS "*S-1-5-32-544"
!define SID_SYSTEM "*S-1-5-18"
!define SID_USERS "*S-1-5-32-545"
!define FOLDER_RIGHTS "${SID_ADMINS}:(OI)(CI)F ${SID_SYSTEM}:(OI)(CI)F ${SID_USERS}:(OI)(CI)RX"

; An earlier installation is upgraded where it is.
InstallDirRegKey HKLM "${SETTINGS_KEY}" "InstallDir"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "VORN Print Utility"
VIAddVersionKey "CompanyName" "Orvalle"
VIAddVersionKey "FileDescription" "VORN Print Utility setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Orvalle"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var RunTesmo
Var Locked
Var Upgrade
Var LogOpen

; Shows TEXT in the details list and appends it, time-stamped, to the setup log.
!macro VORN_LOG_FUNCTION PREFIX
Function ${PREFIX}WriteSetupLog
  Exch $R0
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  Push $R6
  Push $R7
  DetailPrint "$R0"
  ${GetTime} "" "L" $R1 $R2 $R3 $R4 $R5 $R6 $R7
  ClearErrors
  FileOpen $R4 "${LOG_FILE}" a
  ${IfNot} ${Errors}
    FileSeek $R4 0 END
    FileWrite $R4 "$R3-$R2-$R1 $R5:$R6:$R7 $R0$\r$\n"
    FileClose $R4
  ${EndIf}
  Pop $R7
  Pop $R6
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd
!macroend
!insertmacro VORN_LOG_FUNCTION ""
!insertmacro VORN_LOG_FUNCTION "un."
!macro LOG TEXT
  Push `${TEXT}`
  Call WriteSetupLog
!macroend
!macro UN_LOG TEXT
  Push `${TEXT}`
  Call un.WriteSetupLog
!macroend

; Leaves in $R0 why the folder in $R3 cannot be used, or "" when it can: only
; X:\<name>[\<name>...] with a drive letter, since Tesmo is told the drive by its letter. A
; drive's root, a relative, quoted, UNC or \\?\ path, a name that Windows would shorten
; (trailing dot or blank), "." or ".." and the characters Windows forbids are refused.
Function VerifyFolder
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $R0 ""
  StrCpy $0 $R3 1
  StrCpy $1 "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
  StrCpy $2 0
  ${Do}
    StrCpy $3 $1 1 $2
    ${IfThen} $3 == "" ${|} ${ExitDo} ${|}
    ${IfThen} $3 == $0 ${|} ${ExitDo} ${|}
    IntOp $2 $2 + 1
  ${Loop}
  StrCpy $1 $R3 2 1
  StrCpy $2 $R3 1 3
  ${If} $3 == ""
  ${OrIf} $1 != ":\"
    StrCpy $R0 "it is not a full path on a lettered drive (X:\folder)"
  ${ElseIf} $2 == ""
    StrCpy $R0 "it is the root of a drive"
  ${Else}
    ; Each name between backslashes, from the fourth character on.
    StrCpy $0 ""
    StrCpy $2 3
    ${Do}
      StrCpy $3 $R3 1 $2
      ${If} $3 == "\"
      ${OrIf} $3 == ""
        StrCpy $1 $0 "" -1
        ${If} $0 == ""
        ${OrIf} $0 == "."
        ${OrIf} $0 == ".."
        ${OrIf} $1 == "."
        ${OrIf} $1 == " "
          StrCpy $R0 "it holds the name $\"$0$\", which Windows does not keep as given"
          ${ExitDo}
        ${EndIf}
        ${IfThen} $3 == "" ${|} ${ExitDo} ${|}
        StrCpy $0 ""
      ${ElseIf} $3 == '"'
      ${OrIf} $3 == "/"
      ${OrIf} $3 == ":"
      ${OrIf} $3 == "*"
      ${OrIf} $3 == "?"
      ${OrIf} $3 == "<"
      ${OrIf} $3 == ">"
      ${OrIf} $3 == "|"
        StrCpy $R0 "it holds the character $3"
        ${ExitDo}
      ${Else}
        StrCpy $0 "$0$3"
      ${EndIf}
      IntOp $2 $2 + 1
    ${Loop}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Leaves in $R1 the files and folders in $INSTDIR that setup did not install (comma
; separated), or "" when there are none. Setup refuses such a folder: a DLL beside Kelvarin.exe
; loads into it, and locking the folder would change the rights of another program's files.
; The data Kelvarin keeps beside itself stays, as does what an earlier installation left.
Function ForeignFiles
  Push $0
  Push $1
  Push $2
  StrCpy $R1 ""
  ClearErrors
  FindFirst $0 $1 "$INSTDIR\*"
  ${DoUntil} ${Errors}
    StrCpy $2 0
    ${If} $1 == "."
    ${OrIf} $1 == ".."
    ${OrIf} $1 == "Kelvarin.exe"
    ${OrIf} $1 == "Tesmo.exe"
    ${OrIf} $1 == "${UNINSTALLER}"
    ${OrIf} $1 == "actionlog.txt"
    ${OrIf} $1 == "connectlog.txt"
    ${OrIf} $1 == "Printer.inp"
    ${OrIf} $1 == "VORN.PRN"
      StrCpy $2 1
    ${ElseIf} $1 == "${OLD_UNINSTALLER}"
    ${AndIf} $Upgrade == 1
      StrCpy $2 1
    ${ElseIf} $1 == "${TEST_DIR}"
    ${AndIf} ${FileExists} "$INSTDIR\${TEST_DIR}\*.*"
      StrCpy $2 1
    ${EndIf}
    ${If} $2 == 0
      ${IfThen} $R1 != "" ${|} StrCpy $R1 "$R1, " ${|}
      StrCpy $R1 "$R1$1"
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
  ; The test page's folder holds only the quote and Kelvarin's settings.
  ClearErrors
  FindFirst $0 $1 "$INSTDIR\${TEST_DIR}\*"
  ${DoUntil} ${Errors}
    ${If} $1 != "."
    ${AndIf} $1 != ".."
    ${AndIf} $1 != "VORN.PRN"
    ${AndIf} $1 != "Printer.inp"
      ${IfThen} $R1 != "" ${|} StrCpy $R1 "$R1, " ${|}
      StrCpy $R1 "$R1${TEST_DIR}\$1"
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Ends setup (or the uninstaller) at once with status 2, after it has said why: the page
; that an abandoned installation would show offers only Cancel.
!macro STOP
  SetErrorLevel 2
  Quit
!macroend

; Refuses the folder when it holds files setup did not install: says so and stops.
!macro REFUSE_FOREIGN_FILES
  Call ForeignFiles
  ${If} $R1 != ""
    !insertmacro LOG "Setup stopped: $INSTDIR holds files it did not install: $R1"
    MessageBox MB_OK|MB_ICONSTOP "The folder $INSTDIR holds files that setup did not install: \
        $R1.$\n$\nA program file placed there could run in place of the VORN print programs' \
        own, with the rights of whoever prints or of the administrator. Remove these files or \
        choose another folder, and run setup again." /SD IDOK
    !insertmacro STOP
  ${EndIf}
!macroend

; Runs the system's icacls with ARGS while FLAG is 1, and clears FLAG unless it succeeds.
!macro ICACLS FLAG ARGS
  ${If} ${FLAG} == 1
    nsExec::ExecToLog `"$SYSDIR\icacls.exe" ${ARGS}`
    Pop $0
    ${If} $0 != 0
      !insertmacro LOG `icacls ${ARGS} ended with status $0`
      StrCpy ${FLAG} 0
    ${EndIf}
  ${EndIf}
!macroend

Function .onInit
  SetRegView 64
  ; The default folder lies outside "Program Files" at the root of the system drive: the VORN
  ; programs expect Kelvarin there.
  ${If} $INSTDIR == ""
    StrCpy $INSTDIR "$WINDIR" 2
    StrCpy $INSTDIR "$INSTDIR\VORN\Print"
  ${EndIf}
  StrCpy $RunTesmo 1
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOTESMO" $1
  ${IfNot} ${Errors}
    StrCpy $RunTesmo 0
  ${EndIf}
  ; The folder page never offers a folder it cannot use; a silent setup has no such page. The
  ; setup's start quietly drops a /D= folder it cannot use and takes the default instead, so
  ; the folder is read again from the process's own command line.
  ${If} ${Silent}
    Call GivenFolder
    ${If} $R2 != ""
      StrCpy $R3 $R2
      Call VerifyFolder
      ${If} $R0 == ""
      ${AndIf} $R2 != $INSTDIR
        StrCpy $R0 "Windows does not take it as given"
      ${EndIf}
    ${Else}
      StrCpy $R2 $INSTDIR
      StrCpy $R3 $INSTDIR
      Call VerifyFolder
    ${EndIf}
    ${If} $R0 != ""
      !insertmacro LOG "Setup stopped: it cannot install into $R2: $R0."
      !insertmacro STOP
    ${EndIf}
  ${EndIf}
FunctionEnd

; Leaves in $R2 what follows " /D=" on the command line (the last option), or "".
Function GivenFolder
  Push $0
  Push $1
  Push $2
  System::Call "kernel32::GetCommandLineW() t .r0"
  StrCpy $R2 ""
  StrCpy $2 0
  ${Do}
    StrCpy $1 $0 4 $2
    ${IfThen} $1 == "" ${|} ${ExitDo} ${|}
    ${If} $1 S== " /D="
      IntOp $2 $2 + 4
      StrCpy $R2 $0 "" $2
      ${ExitDo}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Function .onVerifyInstDir
  StrCpy $R3 $INSTDIR
  Call VerifyFolder
  ${IfThen} $R0 != "" ${|} Abort ${|}
FunctionEnd

Section "VORN Print Utility" SecMain
  !insertmacro LOG "Installing VORN Print Utility ${VERSION} into $INSTDIR"
  ; An earlier installation of ours in this folder: its uninstaller may still have the old name.
  StrCpy $Upgrade 0
  ReadRegStr $0 HKLM "${PRODUCT_KEY}" "InstallLocation"
  ${IfThen} $0 == $INSTDIR ${|} StrCpy $Upgrade 1 ${|}
  ; A folder with files of another program is left as it is.
  !insertmacro REFUSE_FOREIGN_FILES

  ; Before anything is copied the folder gets rights of its own, whatever the drive's: Users
  ; may read and run, only Administrators and SYSTEM may change. First everything in it loses
  ; the rights given to it alone (the folder too: also those a user gave a folder made before
  ; setup), then the folder is protected from the drive's rights (a folder at the root of a
  ; drive would inherit "Authenticated Users: modify"), then Administrators own all of it, so
  ; that no one who made a file there can give himself the rights back.
  CreateDirectory "$INSTDIR"
  StrCpy $Locked 1
  !insertmacro ICACLS $Locked '"$INSTDIR" /reset /T'
  !insertmacro ICACLS $Locked '"$INSTDIR" /inheritance:r /grant:r ${FOLDER_RIGHTS}'
  !insertmacro ICACLS $Locked '"$INSTDIR" /setowner ${SID_ADMINS} /T'
  ${If} $Locked != 1
    !insertmacro LOG "The rights of $INSTDIR could not be set: any user can replace the \
        programs in it."
    MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "Setup could not set the rights of \
        the folder $INSTDIR (a FAT or exFAT drive keeps none).$\n$\nAny user could then \
        replace Kelvarin.exe, which everyone who prints runs, or the uninstaller, which an \
        administrator runs.$\n$\nClick OK to install there all the same (Tesmo is then not \
        run), or Cancel to stop and choose an NTFS folder." /SD IDCANCEL IDOK install_unlocked
    !insertmacro STOP
    install_unlocked:
    !insertmacro LOG "Installing into $INSTDIR without restricted rights, as the user chose"
  ${EndIf}
  ; Whatever appeared while the folder was still open is refused now that it is closed.
  !insertmacro REFUSE_FOREIGN_FILES

  ; Kelvarin appends to its action log beside itself for whoever prints: every user may
  ; change this one file. It is made empty when missing, and never truncated.
  FileOpen $0 "$INSTDIR\actionlog.txt" a
  FileClose $0
  ${If} $Locked == 1
    StrCpy $LogOpen 1
    !insertmacro ICACLS $LogOpen '"$INSTDIR\actionlog.txt" /grant:r ${SID_USERS}:M'
    ${If} $LogOpen != 1
      !insertmacro LOG "Users cannot add to $INSTDIR\actionlog.txt: its rights could not be set."
      MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "Setup could not let users add \
          to $INSTDIR\actionlog.txt: Kelvarin will log only what administrators print.$\n$\n\
          Click OK to install all the same, or Cancel to stop." /SD IDCANCEL IDOK log_closed
      !insertmacro STOP
      log_closed:
    ${EndIf}
  ${EndIf}

  ; An upgrade or repair replaces the programs; the action log, Printer.inp and print files
  ; beside them are never touched. Each program file is made anew, with the folder's rights,
  ; never written into: one made while the folder was still open could keep rights of its own.
  SetOutPath "$INSTDIR"
  SetOverwrite on
  Delete "$INSTDIR\Kelvarin.exe"
  File "${BIN_DIR}\Kelvarin.exe"
  Delete "$INSTDIR\Tesmo.exe"
  File "${BIN_DIR}\Tesmo.exe"

  ; Written afresh before the old one goes, so that an uninstaller is always there.
  Delete "$INSTDIR\${UNINSTALLER}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ${If} $Upgrade == 1
    Delete "$INSTDIR\${OLD_UNINSTALLER}"
  ${EndIf}
  WriteRegStr HKLM "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${PRODUCT_KEY}" "DisplayName" "VORN Print Utility"
  WriteRegStr HKLM "${PRODUCT_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${PRODUCT_KEY}" "Publisher" "Orvalle"
  WriteRegStr HKLM "${PRODUCT_KEY}" "DisplayIcon" "$INSTDIR\Kelvarin.exe"
  WriteRegStr HKLM "${PRODUCT_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${PRODUCT_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${PRODUCT_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${PRODUCT_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${PRODUCT_KEY}" "NoRepair" 1

  ; Tesmo configures the VORN programs under \vorn\ of the drive installed to and shows its
  ; own confirmation and status window; setup waits until it is closed. It runs with
  ; administrator rights, so only from a folder no user can change. Its current folder holds
  ; a one-page test quote, made afresh, for Print Test Page.
  ${If} $RunTesmo == 1
  ${AndIf} $Locked != 1
    !insertmacro LOG "Tesmo not run: the folder's rights are not restricted"
  ${ElseIf} $RunTesmo == 1
    RMDir /r "$INSTDIR\${TEST_DIR}"
    SetOutPath "$INSTDIR\${TEST_DIR}"
    ${GetTime} "" "L" $2 $3 $4 $5 $6 $7 $8
    FileOpen $0 "$INSTDIR\${TEST_DIR}\VORN.PRN" w
    FileWrite $0 "VORN Print Utility ${VERSION}$\r$\n"
    FileWrite $0 "TEST PAGE$\r$\n"
    FileWrite $0 "$\r$\n"
    FileWrite $0 "Printed by Kelvarin through Print Test Page on $4-$3-$2.$\r$\n"
    FileWrite $0 "VORN quotes print on this printer in the font chosen for them.$\r$\n"
    ; Kelvarin reads the last line of a print file but never prints it.
    FileWrite $0 "$\r$\n"
    FileClose $0
    StrCpy $0 "$INSTDIR" 1
    DetailPrint "Configuring the VORN programs on drive $0:"
    ExecWait '"$INSTDIR\Tesmo.exe" /$0' $1
    DetailPrint "Tesmo ended with status $1"
    SetOutPath "$INSTDIR"
  ${EndIf}
  !insertmacro LOG "Installed VORN Print Utility ${VERSION} into $INSTDIR"
SectionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

; Removes exactly what setup installed, and the test page's folder with what Kelvarin left
; there. The action log, Printer.inp, print files and the VORN programs' data files stay; so
; does the folder while anything is left in it.
Section "Uninstall"
  ; A program that is running cannot be deleted. Every one is tried for writing first, so
  ; that none goes while another stays: the uninstaller then stops before it removes anything,
  ; and can be run again once the program has ended.
  StrCpy $1 ""
  Push "Tesmo.exe"
  Push "Kelvarin.exe"
  ${For} $3 1 2
    Pop $2
    ${If} ${FileExists} "$INSTDIR\$2"
      ClearErrors
      FileOpen $0 "$INSTDIR\$2" a
      ${If} ${Errors}
        ${IfThen} $1 != "" ${|} StrCpy $1 "$1 and " ${|}
        StrCpy $1 "$1$2"
      ${Else}
        FileClose $0
      ${EndIf}
    ${EndIf}
  ${Next}
  ${If} $1 != ""
    !insertmacro UN_LOG "Uninstall stopped: $1 in $INSTDIR is in use"
    MessageBox MB_OK|MB_ICONSTOP "$1 in $INSTDIR is in use. Close it and remove the VORN \
        Print Utility again." /SD IDOK
    !insertmacro STOP
  ${EndIf}
  ClearErrors
  Delete "$INSTDIR\Kelvarin.exe"
  Delete "$INSTDIR\Tesmo.exe"
  RMDir /r "$INSTDIR\${TEST_DIR}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  ; The entry and the remembered folder are this installation's only while they name its
  ; folder: a later installation into another folder keeps its own.
  ReadRegStr $0 HKLM "${SETTINGS_KEY}" "InstallDir"
  ${If} $0 == "$INSTDIR"
  ${OrIf} $0 == ""
    DeleteRegKey HKLM "${PRODUCT_KEY}"
    DeleteRegKey HKLM "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKLM "Software\VORN"
  ${EndIf}
  !insertmacro UN_LOG "Removed VORN Print Utility from $INSTDIR"
SectionEnd
