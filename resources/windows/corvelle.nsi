; SPDX-License-Identifier: GPL-3.0-or-later
; Corvelle's installer: per user, no administrator needed. makensis -DVERSION=1.0.0
; -DSTAGE=<folder with corvelle.exe, corvelle-tidy.exe, guide.pdf, readme.txt> -DICON=<.ico>
; -DSIZE_KB=<installed size> -DOUT=<file> (scripts/windows-package.sh passes them)
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
!include "MUI2.nsh"
!include "LogicLib.nsh"

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvelle"
; Explorer's menu on a folder and on a drive: 「Corvelle で整理」 opens Corvelle there.
!define MENU_DIR "Software\Classes\Directory\shell\Corvelle"
!define MENU_DRIVE "Software\Classes\Drive\shell\Corvelle"
Name "Corvelle ${VERSION}"
OutFile "${OUT}"
InstallDir "$LOCALAPPDATA\Programs\Corvelle"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "Corvelle"
VIAddVersionKey /LANG=1041 "FileDescription" "Corvelle セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\corvelle.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Section "Corvelle"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}\corvelle.exe"
  File "${STAGE}\corvelle-tidy.exe"
  File "${STAGE}\guide.pdf"
  File "${STAGE}\readme.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Corvelle.lnk" "$INSTDIR\corvelle.exe"
  ; "Apps & features"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "Corvelle"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "The Corvelle Project"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\corvelle.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegStr HKCU "${MENU_DIR}" "" "Corvelle で整理"
  WriteRegStr HKCU "${MENU_DIR}" "Icon" "$INSTDIR\corvelle.exe,0"
  WriteRegStr HKCU "${MENU_DIR}\command" "" '"$INSTDIR\corvelle.exe" "%V"'
  WriteRegStr HKCU "${MENU_DRIVE}" "" "Corvelle で整理"
  WriteRegStr HKCU "${MENU_DRIVE}" "Icon" "$INSTDIR\corvelle.exe,0"
  WriteRegStr HKCU "${MENU_DRIVE}\command" "" '"$INSTDIR\corvelle.exe" "%V"'
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; Settings, the log and the run journals are the user's: kept unless the user says so
  ; (a silent uninstall keeps them). Without the journals no past run can be undone. Asked
  ; first, while nothing is gone yet.
  StrCpy $0 0
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "設定 (RUZO.INI)、処理ログと処理の記録 (ジャーナル) も削除しますか?$\n\
ジャーナルを削除すると、これまでの処理を元に戻せなくなります。" /SD IDNO IDNO +2
  StrCpy $0 1
  ; What the install section put in place, and nothing else.
  Delete "$INSTDIR\corvelle.exe"
  Delete "$INSTDIR\corvelle-tidy.exe"
  Delete "$INSTDIR\guide.pdf"
  Delete "$INSTDIR\readme.txt"
  Delete "$SMPROGRAMS\Corvelle.lnk"
  DeleteRegKey HKCU "${MENU_DIR}"
  DeleteRegKey HKCU "${MENU_DRIVE}"
  StrCmp $0 1 0 keep
    Delete "$INSTDIR\RUZO.INI"
    Delete "$INSTDIR\RUZO.LOG"
    Delete "$INSTDIR\NOSPLASH"
    Delete "$APPDATA\Corvelle\RUZO.INI"
    Delete "$APPDATA\Corvelle\RUZO.LOG"
    Delete "$APPDATA\Corvelle\NOSPLASH"
    RMDir "$APPDATA\Corvelle"
    RMDir /r "$LOCALAPPDATA\Corvelle\journal"
    RMDir "$LOCALAPPDATA\Corvelle"
  keep:
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: whatever else the user put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd
