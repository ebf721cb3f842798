; Wexla 98 installer: a per-user install that needs no administrator rights.
;
; Built by scripts/package.sh; by hand:
;   makensis -DARCH=x86_64 -DVERSION=<version> -DAPPDIR=build/x86_64 \
;            -DOUTFILE=build/dist/wexla98-<version>-setup-x86_64.exe dist/wexla98.nsi
; ARCH is i686 (32-bit installer and program) or x86_64 (64-bit installer and program).
;
; Command line of the installer (on top of NSIS's own /S and /D=folder):
;   /STARTUP=1   also start Wexla 98 with Windows (a shortcut in the user's Startup folder);
;   /STARTUP=0   don't (removes that shortcut of an earlier install).
;   Without the switch it is off on a first install and as before on a reinstall.
; Command line of the uninstaller (uninstall.exe in the program folder):
;   /S                   silent
;   /REMOVESETTINGS=1    also delete the saved settings (wexla.ini); kept by default.
; A file that cannot be replaced or deleted (held open by another program) ends the run with a
; message box, or in silent mode with exit code 2; the uninstaller then keeps its own entry, so
; it can be run again.

Unicode true

!ifndef ARCH
  !error "define ARCH (i686 or x86_64)"
!endif
!ifndef VERSION
  !error "define VERSION (the project version, e.g. as scripts/package.sh passes it)"
!endif
!ifndef APPDIR
  !error "define APPDIR (the build folder holding wexla98.exe, wexla98.hlp and wexla98.htm)"
!endif
!ifndef OUTFILE
  !define OUTFILE "wexla98-${VERSION}-setup-${ARCH}.exe"
!endif

!if "${ARCH}" == "x86_64"
  ; A 64-bit installer for the 64-bit program: no WOW64 file or registry redirection to
  ; undo, and it refuses to start on 32-bit Windows, where the program could not run either.
  Target amd64-unicode
!else if "${ARCH}" != "i686"
  !error "ARCH must be i686 or x86_64"
!endif

!define PRODUCT "Wexla 98"
!define PUBLISHER "Wexla 98 developers"
!define EXE "wexla98.exe"
!define HELP "wexla98.hlp"
; The same help as a page, for Windows without a help viewer (Vista and later).
!define HELP_PAGE "wexla98.htm"
!define SETTINGS "wexla.ini"
!define UNINSTALLER "uninstall.exe"
!define SHORTCUT "${PRODUCT}.lnk"
!define HELP_SHORTCUT "${PRODUCT} Help.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Wexla98"
; The program's own window class; a running copy is found (and asked to quit) through it.
!define MAIN_WINDOW_CLASS "Wexla98Main"
; A Wine or Windows process on a busy machine may take more than a few seconds to end after its
; window has gone; the user sees nothing but a short wait.
!define CLOSE_TIMEOUT_MS 30000
; How often a file held by an ending process is tried again.
!define DELETE_RETRY_MS 100
; OpenProcess access that is enough to wait for the end of a process.
!define SYNCHRONIZE 0x00100000
!define WAIT_OBJECT_0 0
; NSIS's own exit code for a run that the script ended.
!define EXIT_ABORTED 2

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh
!include nsDialogs.nsh
!include WinMessages.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; The program saves wexla.ini beside itself, so it must live where the user may write:
; the per-user programs folder, never Program Files.
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma
; No file times from the build folder in the installer: installed files get the install time.
SetDateSave off
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup (${ARCH})"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

Var RemoveSettings
Var RemoveSettingsBox

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
UninstPage custom un.SettingsPage un.SettingsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Asks a running copy to quit (its WM_CLOSE ends the program) so its files can be replaced
; or deleted; in silent mode it is closed without asking.
!macro CloseRunningProgram un
  Function ${un}CloseRunningProgram
    FindWindow $0 "${MAIN_WINDOW_CLASS}"
    ${If} $0 == 0
      Return
    ${EndIf}
    MessageBox MB_OKCANCEL|MB_ICONINFORMATION "${PRODUCT} is running. Close it and continue?" \
      /SD IDOK IDOK close
    Abort
  close:
    ; The window goes before the process lets go of its files, so the wait is for the process.
    ; Its handle is taken before the request to quit: the id cannot pass to another process.
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1)'
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=${CLOSE_TIMEOUT_MS}
    ; Without a handle the wait fails at once, and that is reported like a timeout.
    System::Call 'kernel32::WaitForSingleObject(p r2, i ${CLOSE_TIMEOUT_MS}) i .r3'
    System::Call 'kernel32::CloseHandle(p r2)'
    ${If} $3 == ${WAIT_OBJECT_0}
      Return
    ${EndIf}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is still running. Quit it from its tray menu and try again." \
      /SD IDOK
    Abort
  FunctionEnd
!macroend
!insertmacro CloseRunningProgram ""
!insertmacro CloseRunningProgram "un."

; Ends the run when the error flag says a file could not be written or deleted: never a
; success with files left behind.
!macro AbortOnFileError what
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "A file in $INSTDIR could not be ${what}: another program \
      holds it. Close that program and try again." /SD IDOK
    SetErrorLevel ${EXIT_ABORTED}
    Abort
  ${EndIf}
!macroend

Function StartProgram
  ; Started in its folder, as the shortcuts do, so it finds its settings and its help file.
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\${EXE}"'
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  Call CloseRunningProgram
  SetOutPath "$INSTDIR"
  ; "try": a file that cannot be written sets the error flag instead of asking.
  SetOverwrite try
  ClearErrors
  File "${APPDIR}\${EXE}"
  File "${APPDIR}\${HELP}"
  File "${APPDIR}\${HELP_PAGE}"
  !insertmacro AbortOnFileError replaced
  SetOverwrite on
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; CreateShortCut takes the output folder as the shortcut's "Start in".
  CreateShortCut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
  ; The page, not the help file: it opens on every Windows, also those without a help viewer.
  CreateShortCut "$SMPROGRAMS\${HELP_SHORTCUT}" "$INSTDIR\${HELP_PAGE}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Start with Windows" SecStartup
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMSTARTUP\${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
SectionEnd

; Unticking "Start with Windows" on a later install takes the earlier shortcut away.
Section "-StartupOff"
  ${IfNot} ${SectionIsSelected} ${SecStartup}
    Delete "$SMSTARTUP\${SHORTCUT}"
  ${EndIf}
SectionEnd

; After the sections: it selects one by its index.
Function .onInit
  SetShellVarContext current
  ; An upgrade keeps the earlier choice unless told otherwise.
  ${If} ${FileExists} "$SMSTARTUP\${SHORTCUT}"
    SectionSetFlags ${SecStartup} ${SF_SELECTED}
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/STARTUP=" $R1
  ${IfNot} ${Errors}
    ${If} $R1 == 1
      SectionSetFlags ${SecStartup} ${SF_SELECTED}
    ${Else}
      SectionSetFlags ${SecStartup} 0
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext current
  StrCpy $RemoveSettings ${BST_UNCHECKED}
  ${un.GetParameters} $R0
  ClearErrors
  ${un.GetOptions} $R0 "/REMOVESETTINGS=" $R1
  ${IfNot} ${Errors}
  ${AndIf} $R1 == 1
    StrCpy $RemoveSettings ${BST_CHECKED}
  ${EndIf}
FunctionEnd

Function un.SettingsPage
  ${IfNot} ${FileExists} "$INSTDIR\${SETTINGS}"
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Your settings" "Keep or remove the settings ${PRODUCT} saved."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "${PRODUCT} saved your settings in ${SETTINGS}. They are kept \
    unless you tick the box, so a later install starts with them."
  Pop $0
  ${NSD_CreateCheckbox} 0 32u 100% 12u "&Remove my settings too"
  Pop $RemoveSettingsBox
  ${NSD_SetState} $RemoveSettingsBox $RemoveSettings
  nsDialogs::Show
FunctionEnd

Function un.SettingsPageLeave
  ${NSD_GetState} $RemoveSettingsBox $RemoveSettings
FunctionEnd

; This run is a copy of the uninstaller, started by the uninstaller in the folder, which ends
; right after; on a busy machine it may still hold its file a moment. The error flag is left
; set when the file stayed.
Function un.DeleteUninstaller
  StrCpy $R0 0
  ${Do}
    ClearErrors
    Delete "$INSTDIR\${UNINSTALLER}"
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    Sleep ${DELETE_RETRY_MS}
    IntOp $R0 $R0 + ${DELETE_RETRY_MS}
  ${LoopUntil} $R0 >= ${CLOSE_TIMEOUT_MS}
FunctionEnd

Section "Uninstall"
  Call un.CloseRunningProgram
  ; The files first: if one stays, the shortcuts, the uninstaller and its entry stay too.
  ClearErrors
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\${HELP}"
  Delete "$INSTDIR\${HELP_PAGE}"
  ${If} $RemoveSettings == ${BST_CHECKED}
    Delete "$INSTDIR\${SETTINGS}"
  ${EndIf}
  !insertmacro AbortOnFileError deleted
  ; The Windows Help viewer leaves its index caches beside the help file.
  Delete "$INSTDIR\wexla98.gid"
  Delete "$INSTDIR\wexla98.fts"
  Delete "$INSTDIR\wexla98.ftg"
  Delete "$SMPROGRAMS\${SHORTCUT}"
  Delete "$SMPROGRAMS\${HELP_SHORTCUT}"
  Delete "$SMSTARTUP\${SHORTCUT}"
  Call un.DeleteUninstaller
  !insertmacro AbortOnFileError deleted
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Only if empty: kept settings, or anything else the user put there, stay.
  RMDir "$INSTDIR"
SectionEnd
