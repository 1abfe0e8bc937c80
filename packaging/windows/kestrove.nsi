; The Kestrove installer for Windows, made with makensis on Linux (packaging/windows).
; Per user and without administrator rights: the programs go to
; %LOCALAPPDATA%\Programs\Kestrove, the Start-menu entry to the user's own Programs folder and
; the uninstall entry under HKCU. Silent: Kestrove-setup.exe /S (and /D=folder to choose it).
; Uninstalling removes the programs, the entry and the start-at-logon value, and keeps the
; user's alarm log and settings in %LOCALAPPDATA%\Kestrove.
;
; Defines from the build (MakePackage.cmake): VERSION, STAGE (the program folder to install),
; SIZE_KB, UNINSTALL_LIST (the Delete lines for what STAGE holds), ICON, OUTFILE.

; The programs are 64-bit, and so is the installer: Wine without its 32-bit part runs it too.
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrove"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "Kestrove"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kestrove"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "Kestrove"
VIAddVersionKey /LANG=1041 "FileDescription" "Kestrove"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Kestrove developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; A running monitor holds its program file: it is asked to end (WM_CLOSE, as the taskbar
; would), which runs its own shut-down and stops its sweeper.
!macro EndRunningMonitor
  nsExec::Exec '"$SYSDIR\taskkill.exe" /IM Kestrove.exe'
  Pop $0
  StrCpy $1 0
  ${Do}
    ClearErrors
    FileOpen $2 "$INSTDIR\Kestrove.exe" a
    ${IfNot} ${Errors}
      FileClose $2
      ${Break}
    ${EndIf}
    Sleep 200
    IntOp $1 $1 + 1
  ${LoopWhile} $1 < 50
!macroend

Section "Kestrove"
  SetShellVarContext current
  ${If} ${FileExists} "$INSTDIR\Kestrove.exe"
    !insertmacro EndRunningMonitor
  ${EndIf}
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  ; An installed copy keeps the user's files in %LOCALAPPDATA%\Kestrove, never beside the
  ; programs (common/DataFolder.h).
  FileOpen $0 "$INSTDIR\installed-copy" w
  FileClose $0
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Kestrove.lnk" "$INSTDIR\Kestrove.exe" "" "$INSTDIR\Kestrove.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Kestrove"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Kestrove.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Kestrove"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  !insertmacro EndRunningMonitor
  ; Only what the installer put there: a folder chosen by the user may hold other files.
  !include "${UNINSTALL_LIST}"
  Delete "$INSTDIR\installed-copy"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Kestrove.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "Kestrove"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
