; The Windows installer of Glimmerdome: installs for the current user, with no
; administrator rights, into %LOCALAPPDATA%\Programs\Glimmerdome, with a
; Start-menu entry and an entry in "Apps and features". Made by
; scripts/package.sh:
;   makensis -DVERSION=1.0.0 -DSTAGE=DIR -DICON=FILE.ico [-DWIZARD=FILE.bmp] -DOUTFILE=FILE.exe glimmerdome.nsi
; where DIR holds glimmerdome.exe, README.txt, LICENSE.txt and the folder page
; (the globe's own page, which the program opens), and WIZARD is
; the 164 x 314 picture of the first and last pages.
;   setup.exe /S                silent install (the program is not started)
;   uninstall.exe /S            silent uninstall; the settings stay

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinMessages.nsh

!define PRODUCT "Glimmerdome"
!define PUBLISHER "The Glimmerdome developers"
; The globe's own page, installed beside the program: the program opens it
; from its first menu item, and "Apps and features" links to it.
!define OWN_PAGE "$INSTDIR\page\index.html"
!define EXE "glimmerdome.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Glimmerdome"
; What the program itself reads and writes: its settings key, and its
; start-at-login value, holding its full path with no quotes.
!define SETTINGS_KEY "Software\Glimmerdome"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Glimmerdome"
; The class of the program's window, to close a running copy.
!define WINDOW_CLASS "TfrmMain"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
; A program of one megabyte: no space counts on the pages.
SpaceTexts none

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!ifdef WIZARD
  !define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD}"
!endif
!define MUI_WELCOMEPAGE_TEXT "Setup will install ${PRODUCT} ${VERSION}, a snow globe for the desktop, \
  for you alone: it needs no administrator rights.$\r$\n$\r$\nIf ${PRODUCT} is running, Setup closes it first; \
  your settings are kept.$\r$\n$\r$\nClick Next to continue."
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!define MUI_FINISHPAGE_LINK "Read how to get the most out of ${PRODUCT}"
!define MUI_FINISHPAGE_LINK_LOCATION "${OWN_PAGE}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Asks a running Glimmerdome to close, as the user's Exit would (it keeps its
; settings), and waits up to five seconds for each window to go.
!macro CloseRunningCopies
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${WINDOW_CLASS}"
    ${If} $0 = 0
    ${OrIf} $1 >= 50
      ${ExitDo}
    ${EndIf}
    ${If} $1 = 0
      DetailPrint "Closing the running ${PRODUCT}"
    ${EndIf}
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
    Sleep 100
    IntOp $1 $1 + 1
  ${Loop}
!macroend

Section "${PRODUCT}" SecProgram
  SectionIn RO
  !insertmacro CloseRunningCopies
  SetOutPath "$INSTDIR"
  File "${STAGE}\${EXE}"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  SetOutPath "$INSTDIR\page"
  File "${STAGE}\page\*.*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 \
    SW_SHOWNORMAL "" "A snow globe for the desktop"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${OWN_PAGE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "HelpLink" "${OWN_PAGE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Start ${PRODUCT} when I start Windows" SecStartUp
SectionEnd

; After the sections: the start-at-login value follows the choice, so that
; unticking the box on an upgrade removes it.
Section "-StartUp"
  ${If} ${SectionIsSelected} ${SecStartUp}
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" "$INSTDIR\${EXE}"
  ${Else}
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
SectionEnd

Function .onInit
  SetShellVarContext current
  ; An upgrade keeps starting at login if the program was set to.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 != ""
    !insertmacro SelectSection ${SecStartUp}
  ${EndIf}
FunctionEnd

Section "un.${PRODUCT}" UnSecProgram
  SectionIn RO
  !insertmacro CloseRunningCopies
  ReadRegStr $3 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\page\*.*"
  RMDir "$INSTDIR\page"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The start-at-login value goes with the program it names; one naming
  ; another copy that is still there (a portable one) stays.
  ${If} $3 != ""
  ${AndIfNot} ${FileExists} "$3"
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
SectionEnd

; The globe's place and the menu's choices.
Section /o "un.Remove my settings" UnSecSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd
