; Per-user setup for Kestrelpane: installs without elevation into the user's own program
; folder, adds one Start-menu shortcut and the Uninstall entry, and nothing else.
; scripts/package defines KP_VERSION, KP_EXE, KP_README_FILE, KP_MUTEX, KP_OUTFILE and
; KP_ART (the folder of the icon and of the welcome and finish pages' picture), and
; KP_SIGN for a signed release.

Unicode true
; The program is 64-bit, and a 64-bit setup also runs where only 64-bit Wine is installed.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

; A signed release: scripts/package names its signing command. The uninstaller is signed
; before the setup takes it in, the setup once it is written.
!ifdef KP_SIGN
  !uninstfinalize '"${KP_SIGN}" "%1"' = 0
  !finalize '"${KP_SIGN}" "%1"' = 0
!endif

!include LogicLib.nsh
!include FileFunc.nsh
!include MUI2.nsh
!include StrFunc.nsh
${UnStrStr}

!define KP_NAME "Kestrelpane"
!define KP_PUBLISHER "The Kestrelpane developers"
!define KP_UNINSTALL_LIST "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define KP_UNINSTALL_KEY "${KP_UNINSTALL_LIST}\Kestrelpane"
!define KP_SHORTCUT "$SMPROGRAMS\Kestrelpane.lnk"
!define KP_PROGRAM "kestrelpane.exe"
!define KP_README "README.txt"
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

!define MUI_ICON "${KP_ART}/app.ico"
!define MUI_UNICON "${KP_ART}/app.ico"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${KP_ART}/setup_side.bmp"
!define MUI_WELCOMEPAGE_TEXT "Setup will install ${KP_NAME} ${KP_VERSION} for you alone: it needs no administrator rights and no restart.$\r$\n$\r$\nClick Next to continue."
!define MUI_FINISHPAGE_RUN "$INSTDIR\${KP_PROGRAM}"

!insertmacro MUI_PAGE_WELCOME
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

; An install in another folder goes first, through its own uninstaller run in place:
; otherwise its files stay, and its uninstaller would later take this install's entry
; and shortcut with it.
Function RemoveInstallElsewhere
  ReadRegStr $0 HKCU "${KP_UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
  ${OrIf} $0 == $INSTDIR
  ${OrIfNot} ${FileExists} "$0\Uninstall.exe"
    Return
  ${EndIf}
  DetailPrint "Removing ${KP_NAME} from $0"
  ClearErrors
  ExecWait '"$0\Uninstall.exe" /S _?=$0' $1
  ${If} ${Errors}
  ${OrIf} $1 <> 0
    SetErrorLevel 2
    IfSilent +2
      MessageBox MB_ICONSTOP "${KP_NAME} is also installed in $0 and could not be removed from there. Close ${KP_NAME}, remove it from the list of programs in the Windows settings, and run the setup again."
    Quit
  ${EndIf}
  ; Run in place, it could not delete itself; it has ended now.
  Delete "$0\Uninstall.exe"
  RMDir "$0"
FunctionEnd

Section
  ; Checked again: the program may have been started while the pages were shown.
  Call WaitUntilClosed
  Call RemoveInstallElsewhere
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
  File "/oname=${KP_README}" "${KP_README_FILE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "${KP_SHORTCUT}" "$INSTDIR\${KP_PROGRAM}"

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegStr HKCU "${KP_UNINSTALL_KEY}" "DisplayName" "${KP_NAME}"
  WriteRegStr HKCU "${KP_UNINSTALL_KEY}" "DisplayVersion" "${KP_VERSION}"
  WriteRegStr HKCU "${KP_UNINSTALL_KEY}" "Publisher" "${KP_PUBLISHER}"
  WriteRegStr HKCU "${KP_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${KP_PROGRAM}"
  WriteRegStr HKCU "${KP_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ; _?= runs the uninstaller in place. Started without it, it would first copy itself to
  ; the temporary folder and ask Windows to delete the copy at the next restart.
  WriteRegStr HKCU "${KP_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" _?=$INSTDIR'
  WriteRegStr HKCU "${KP_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S _?=$INSTDIR'
  WriteRegDWORD HKCU "${KP_UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${KP_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${KP_UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetShellVarContext current
  Call un.WaitUntilClosed
FunctionEnd

Section Uninstall
  ; Done, the window closes by itself: waiting at "Completed" for Close, it would hold off
  ; the removal of the uninstaller and the folder (un.onUninstSuccess) indefinitely.
  SetAutoClose true
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
  Delete "$INSTDIR\${KP_README}"
  ; The entry and the shortcut belong to the folder the entry names: an uninstaller left
  ; in another folder must not take a newer install's with it.
  ReadRegStr $0 HKCU "${KP_UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    Delete "${KP_SHORTCUT}"
    DeleteRegKey HKCU "${KP_UNINSTALL_KEY}"
    ; The setup may have made the list's key itself (Windows makes it only when needed).
    DeleteRegKey /ifempty HKCU "${KP_UNINSTALL_LIST}"
  ${EndIf}
SectionEnd

; Runs as the window closes, only after an uninstall that went through (Quit skips it).
Function un.onUninstSuccess
  Call un.RemoveUninstaller
FunctionEnd

; A program cannot delete the file it runs from, and a standard user cannot have Windows
; delete it at the next restart. A hidden command prompt does it once this process has
; ended, trying each second for half a minute, then removes the folder if it is empty:
; files the user put there stay. The uninstaller may run from a copy in the temporary
; folder (started without _?=); that copy and its folder go the same way. In cmd all that
; follows an if's condition belongs to the if, & chains included: so the wait comes first
; and the test that ends the loop last.
Function un.RemoveUninstaller
  StrCpy $1 "$INSTDIR\Uninstall.exe"
  ; The command prompt would read a % in a path as the start of a variable.
  ${UnStrStr} $2 "$1$EXEPATH" "%"
  ${If} $2 != ""
    Return
  ${EndIf}
  ; Not from inside the folder it is to remove.
  SetOutPath "$TEMP"
  ExecShell "" "$SYSDIR\cmd.exe" '/d /q /c for /l %i in (1,1,30) do (ping -n 2 127.0.0.1 >nul & del "$1" "$EXEPATH" 2>nul & if not exist "$1" if not exist "$EXEPATH" (rmdir "$EXEDIR" 2>nul & rmdir "$INSTDIR" 2>nul & exit))' SW_HIDE
FunctionEnd
