; Per-user installer of Bellwick and Knobset (built by release/build-installer).
; Defines passed in: FILES (folder of the release files), VERSION (X.YY),
; VERSION4 (X.YY.0.0), ICON, LICENSE (the licence text, UTF-8 with BOM),
; OUTFILE; UNCOMPRESSED (optional) stores everything uncompressed, so that a
; test can read the pages' texts in the installer.
; It installs into the user's own %LOCALAPPDATA%\Programs\Bellwick without
; administrator rights, so both programs can always write Bellwick.ini and
; the log next to themselves.
Unicode true
RequestExecutionLevel user
!ifdef UNCOMPRESSED
SetCompress off
!else
SetCompressor /SOLID lzma
!endif
; No file times in the installer: two builds give the same bytes.
SetDateSave off

!define PRODUCT "Bellwick"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Bellwick"
!define CHECKER_CLASS "POP3 Mail Checker Checker"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Bellwick"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include WinMessages.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_CUSTOMFUNCTION_GUIINIT WidenButtons

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Knobset.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Knobset を起動して設定する"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Knobset.chm"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "ヘルプ (Knobset.chm) を開く"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${PRODUCT} ${VERSION} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "${PRODUCT}"

Var RestartChecker

; The Japanese "インストール(I)" and "次へ(N) >" do not fit the standard
; button width: the next button grows to the left and the back button moves
; along, the cancel button stays where it is.
!define BUTTON_GROWTH 24
Function WidenButtons
  System::Call "*(i 0, i 0, i 0, i 0) p .r9"
  GetDlgItem $0 $HWNDPARENT 1
  System::Call "user32::GetWindowRect(p r0, p r9)"
  System::Call "user32::MapWindowPoints(p 0, p $HWNDPARENT, p r9, i 2)"
  System::Call "*$9(i .r1, i .r2, i .r3, i .r4)"
  IntOp $1 $1 - ${BUTTON_GROWTH}
  IntOp $5 $3 - $1
  IntOp $6 $4 - $2
  System::Call "user32::SetWindowPos(p r0, p 0, i r1, i r2, i r5, i r6, i 0x14)"
  GetDlgItem $0 $HWNDPARENT 3
  System::Call "user32::GetWindowRect(p r0, p r9)"
  System::Call "user32::MapWindowPoints(p 0, p $HWNDPARENT, p r9, i 2)"
  System::Call "*$9(i .r1, i .r2, i .r3, i .r4)"
  IntOp $1 $1 - ${BUTTON_GROWTH}
  System::Call "user32::SetWindowPos(p r0, p 0, i r1, i r2, i 0, i 0, i 0x15)"
  System::Free $9
FunctionEnd

; On a first install (no Bellwick.ini in the folder) the next step is always
; to add an account, so starting Knobset is ticked; an upgrade leaves it off.
Function FinishShow
  ${IfNot} ${FileExists} "$INSTDIR\Bellwick.ini"
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_CHECKED} 0
  ${EndIf}
FunctionEnd

; Closes a running checker the way Knobset's restart does (WM_CLOSE to its
; window class, handled before SendMessage returns), then waits until its
; process has let go of the program file, at most 30 seconds.
!macro CLOSE_CHECKER un
Function ${un}CloseChecker
  StrCpy $RestartChecker 0
  FindWindow $0 "${CHECKER_CLASS}"
  ${If} $0 <> 0
    StrCpy $RestartChecker 1
    DetailPrint "起動中の Bellwick を終了します"
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=30000
    StrCpy $1 0
    ${Do}
      Sleep 250
      IntOp $1 $1 + 1
      FindWindow $0 "${CHECKER_CLASS}"
      ${If} $0 = 0
      ${AndIf} ${FileExists} "$INSTDIR\Bellwick.exe"
        ClearErrors
        FileOpen $2 "$INSTDIR\Bellwick.exe" a
        ${IfNot} ${Errors}
          FileClose $2
          ${Break}
        ${EndIf}
      ${ElseIf} $0 = 0
        ${Break}
      ${EndIf}
    ${LoopUntil} $1 >= 120
    Sleep 500
  ${EndIf}
FunctionEnd
!macroend
!insertmacro CLOSE_CHECKER ""
!insertmacro CLOSE_CHECKER "un."

Section "Bellwick と Knobset (必須)" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  Call CloseChecker
  ; Bellwick.ini and the log are never part of the package: an upgrade
  ; leaves the user's settings as they are.
  File "${FILES}\Bellwick.exe"
  File "${FILES}\Knobset.exe"
  File "${FILES}\Knobset.chm"
  File "${FILES}\ReadMe.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcuts start in the install folder, where the programs find
  ; Bellwick.ini.
  CreateDirectory "$SMPROGRAMS\Bellwick"
  CreateShortCut "$SMPROGRAMS\Bellwick\Bellwick.lnk" "$INSTDIR\Bellwick.exe"
  CreateShortCut "$SMPROGRAMS\Bellwick\Knobset.lnk" "$INSTDIR\Knobset.exe"
  CreateShortCut "$SMPROGRAMS\Bellwick\Bellwick ヘルプ.lnk" "$INSTDIR\Knobset.chm"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Bellwick.exe"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
SectionEnd

Section /o "サインイン時に Bellwick を起動する" SecStartup
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMSTARTUP\Bellwick.lnk" "$INSTDIR\Bellwick.exe"
SectionEnd

Section "-Finish"
  ${IfNot} ${SectionIsSelected} ${SecStartup}
    Delete "$SMSTARTUP\Bellwick.lnk"
  ${EndIf}
  SectionGetSize ${SecMain} $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
  ${If} $RestartChecker = 1
    SetOutPath "$INSTDIR"
    DetailPrint "Bellwick を再び起動します"
    Exec '"$INSTDIR\Bellwick.exe"'
  ${EndIf}
SectionEnd

Function .onInit
  ; An upgrade keeps the earlier choice of starting at sign-in.
  ${If} ${FileExists} "$SMSTARTUP\Bellwick.lnk"
    !insertmacro SelectSection ${SecStartup}
  ${EndIf}
FunctionEnd

Section "un.Bellwick と Knobset" SecUnMain
  SectionIn RO
  Call un.CloseChecker
  Delete "$INSTDIR\Bellwick.exe"
  Delete "$INSTDIR\Knobset.exe"
  Delete "$INSTDIR\Knobset.chm"
  Delete "$INSTDIR\ReadMe.txt"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Bellwick\Bellwick.lnk"
  Delete "$SMPROGRAMS\Bellwick\Knobset.lnk"
  Delete "$SMPROGRAMS\Bellwick\Bellwick ヘルプ.lnk"
  RMDir "$SMPROGRAMS\Bellwick"
  Delete "$SMSTARTUP\Bellwick.lnk"
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd

; Off unless the user ticks it: the settings and the log stay for a later
; installation.
Section /o "un.設定ファイル (Bellwick.ini) とログも削除する" SecUnData
  Call un.DeleteLog
  Delete "$INSTDIR\Bellwick.ini"
SectionEnd

Section "-un.Folder"
  RMDir "$INSTDIR"
SectionEnd

; Deletes the log named by the LogFileName line of Bellwick.ini (a name
; without a drive or a leading "\" is relative to the install folder).
Function un.DeleteLog
  ClearErrors
  FileOpen $0 "$INSTDIR\Bellwick.ini" r
  ${If} ${Errors}
    Return
  ${EndIf}
  ${Do}
    ClearErrors
    FileRead $0 $1
    ${If} ${Errors}
      ${Break}
    ${EndIf}
    StrCpy $2 $1 12
    ${If} $2 == "LogFileName$\t"
      StrCpy $1 $1 "" 12
      ${Do}
        StrCpy $2 $1 1 -1
        ${If} $2 == "$\r"
        ${OrIf} $2 == "$\n"
          StrCpy $1 $1 -1
        ${Else}
          ${Break}
        ${EndIf}
      ${Loop}
      ${If} $1 != ""
        StrCpy $2 $1 1 1
        StrCpy $3 $1 1
        ${If} $2 == ":"
        ${OrIf} $3 == "\"
          Delete "$1"
        ${Else}
          Delete "$INSTDIR\$1"
        ${EndIf}
      ${EndIf}
      ${Break}
    ${EndIf}
  ${Loop}
  FileClose $0
FunctionEnd
