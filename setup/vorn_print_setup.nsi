; The Windows setup program of the VORN print utility: installs Kelvarin.exe and Tesmo.exe into
; one folder, runs Tesmo for the drive installed to, and registers an uninstaller.
;
;   makensis -DVERSION=1.0 -DBIN_DIR=<folder of the two programs> -DOUT_FILE=<setup.exe>
;            -DICON=<kelvarin.ico> vorn_print_setup.nsi
;
; Command line of the setup program:
;   /S             silent: no pages; Tesmo still runs and asks the user (see /NOTESMO)
;   /NOTESMO       do not run Tesmo after copying (configure the VORN programs later)
;   /D=<folder>    install there (last on the command line, no quotes)

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

Function .onInit
  SetRegView 64
  ; The default folder lies outside "Program Files" at the root of the system drive, where
  ; every user may change the files, so that Kelvarin can add to its action log beside itself
  ; whoever runs it.
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
FunctionEnd

; Tesmo takes the drive from the folder's first letter: only a folder on a lettered drive will
; do (the Next button stays disabled for any other).
Function .onVerifyInstDir
  StrCpy $0 "$INSTDIR" 2 1
  StrCpy $1 "$INSTDIR" 1
  ${If} $0 != ":\"
  ${OrIf} $1 == "\"
    Abort
  ${EndIf}
FunctionEnd

Section "VORN Print Utility" SecMain
  SetOutPath "$INSTDIR"
  ; An upgrade or repair replaces the programs; the action log, Printer.inp and print files
  ; beside them are never touched.
  SetOverwrite on
  File "${BIN_DIR}\Kelvarin.exe"
  File "${BIN_DIR}\Tesmo.exe"
  ; Every user (BUILTIN\Users) may change files in the folder, whatever the drive's own rights:
  ; Kelvarin appends to its action log beside itself for whoever prints.
  nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$INSTDIR" /grant *S-1-5-32-545:(OI)(CI)M'
  Pop $0

  ; Tesmo configures the VORN programs under \vorn\ of the drive installed to and shows its
  ; own confirmation and status window; setup waits until it is closed.
  ${If} $RunTesmo == 1
    StrCpy $0 "$INSTDIR" 1
    DetailPrint "Configuring the VORN programs on drive $0:"
    ExecWait '"$INSTDIR\Tesmo.exe" /$0' $1
    DetailPrint "Tesmo ended with status $1"
  ${EndIf}

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${PRODUCT_KEY}" "DisplayName" "VORN Print Utility"
  WriteRegStr HKLM "${PRODUCT_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${PRODUCT_KEY}" "Publisher" "Orvalle"
  WriteRegStr HKLM "${PRODUCT_KEY}" "DisplayIcon" "$INSTDIR\Kelvarin.exe"
  WriteRegStr HKLM "${PRODUCT_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${PRODUCT_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${PRODUCT_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${PRODUCT_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${PRODUCT_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

; Removes exactly what setup installed. The action log, Printer.inp, print files and the VORN
; programs' data files stay; so does the folder while anything is left in it.
Section "Uninstall"
  ; A program that is running cannot be deleted: the uninstaller then stops before it removes
  ; itself and the entry, so that it can be run again once the program has ended.
  ClearErrors
  Delete "$INSTDIR\Kelvarin.exe"
  Delete "$INSTDIR\Tesmo.exe"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Kelvarin.exe or Tesmo.exe in $INSTDIR is in use. Close it and \
        remove the VORN Print Utility again." /SD IDOK
    Abort
  ${EndIf}
  Delete "$INSTDIR\Uninstall.exe"
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
SectionEnd
