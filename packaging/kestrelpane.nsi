; Per-user setup for Kestrelpane: installs without elevation into the user's own program
; folder, adds one Start-menu shortcut and the Uninstall entry, and nothing else.
; scripts/package defines KP_VERSION, KP_EXE, KP_MUTEX, KP_OUTFILE and, when the artwork
; exists, KP_ICON.

Unicode true
; The program is 64-bit, and a 64-bit setup also runs where only 64-bit Wine is installed.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include LogicLib.nsh
!include FileFunc.nsh
!include MUI2.nsh

!define KP_NAME "Kestrelpane"
!define KP_PUBLISHER "The Kestrelpane developers"
!define KP_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrelpane"
!define KP_SHORTCUT "$SMPROGRAMS\Kestrelpane.lnk"
!define KP_PROGRAM "kestrelpane.exe"
!define SYNCHRONIZE 0x00100000

Name "${KP_NAME}"
OutFile "${KP_OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kestrelpane"
; An update goes where the installed version is.
InstallDirRegKey HKCU "${KP_UNINSTALL_KEY}" "InstallLocation"
BrandingText "${KP_NAME} ${KP_VERSION}"

VIProductVersion "${KP_VERSION}"
VIAddVersionKey "ProductName" "${KP_NAME}"
VIAddVersionKey "ProductVersion" "${KP_VERSION}"
VIAddVersionKey "FileVersion" "${KP_VERSION}"
VIAddVersionKey "FileDescription" "${KP_NAME} setup"
VIAddVersionKey "CompanyName" "${KP_PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${KP_PUBLISHER}"

!ifdef KP_ICON
  !define MUI_ICON "${KP_ICON}"
  !define MUI_UNICON "${KP_ICON}"
!endif
!define MUI_FINISHPAGE_RUN "$INSTDIR\${KP_PROGRAM}"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!macro KP_RUNNING_FUNCTIONS un
; $0 = 1 while Kestrelpane runs: its single-instance mutex exists, or the installed program
; file cannot be opened for writing (a start that has not made its mutex yet).
Function ${un}IsRunning
  StrCpy $0 0
  StrCpy $1 "${KP_MUTEX}"
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w r1) p .r2'
  ${If} $2 P<> 0
    System::Call 'kernel32::CloseHandle(p r2)'
    StrCpy $0 1
  ${ElseIf} ${FileExists} "$INSTDIR\${KP_PROGRAM}"
    ClearErrors
    FileOpen $2 "$INSTDIR\${KP_PROGRAM}" a
    ${If} ${Errors}
      StrCpy $0 1
    ${Else}
      FileClose $2
    ${EndIf}
  ${EndIf}
FunctionEnd

; Returns once Kestrelpane is closed; the user may retry or cancel. A silent run cannot
; ask, so it ends at once, with exit code 2, having changed nothing.
Function ${un}WaitUntilClosed
  ${Do}
    Call ${un}IsRunning
    ${If} $0 = 0
      Return
    ${EndIf}
    ${If} ${Silent}
      SetErrorLevel 2
      Quit
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "${KP_NAME} is running. Close it, then choose Retry." IDRETRY retry
    SetErrorLevel 1
    Quit
    retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro KP_RUNNING_FUNCTIONS ""
!insertmacro KP_RUNNING_FUNCTIONS "un."

Function .onInit
  SetShellVarContext current
  Call WaitUntilClosed
FunctionEnd

Section
  ; Checked again: the program may have been started while the pages were shown.
  Call WaitUntilClosed
  SetOutPath "$INSTDIR"
  ; A file that cannot be replaced stops the setup instead of being skipped.
  SetOverwrite try
  ClearErrors
  File "/oname=${KP_PROGRAM}" "${KP_EXE}"
  ${If} ${Errors}
    SetErrorLevel 2
    IfSilent +2
      MessageBox MB_ICONSTOP "Could not replace $INSTDIR\${KP_PROGRAM}. Close ${KP_NAME} and run the setup again."
    Quit
  ${EndIf}
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "${KP_SHORTCUT}" "$INSTDIR\${KP_PROGRAM}"

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegStr HKCU "${KP_UNINSTALL_KEY}" "DisplayName" "${KP_NAME}"
  WriteRegStr HKCU "${KP_UNINSTALL_KEY}" "DisplayVersion" "${KP_VERSION}"
  WriteRegStr HKCU "${KP_UNINSTALL_KEY}" "Publisher" "${KP_PUBLISHER}"
  WriteRegStr HKCU "${KP_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${KP_PROGRAM}"
  WriteRegStr HKCU "${KP_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${KP_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${KP_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${KP_UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${KP_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${KP_UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetShellVarContext current
  Call un.WaitUntilClosed
FunctionEnd

Section Uninstall
  Call un.WaitUntilClosed
  ; The program goes first: if it cannot be deleted, everything else stays usable.
  ClearErrors
  Delete "$INSTDIR\${KP_PROGRAM}"
  ${If} ${Errors}
    SetErrorLevel 2
    IfSilent +2
      MessageBox MB_ICONSTOP "Could not delete $INSTDIR\${KP_PROGRAM}. Close ${KP_NAME} and try again."
    Quit
  ${EndIf}
  Delete "${KP_SHORTCUT}"
  DeleteRegKey HKCU "${KP_UNINSTALL_KEY}"
  ; The uninstaller runs from a copy in the temporary folder; the copy that was started
  ; may take a moment to end and release its file.
  ${For} $1 1 50
    ClearErrors
    Delete "$INSTDIR\Uninstall.exe"
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    Sleep 100
  ${Next}
  ; Only an empty folder is removed: files the user put there stay.
  RMDir "$INSTDIR"
SectionEnd
