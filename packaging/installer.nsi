; Per-user installer: no administrator rights, installs into the user's local programs folder
; (the saver writes its settings file beside itself, so the folder must be the user's own) and
; selects the saver for the current user, as the Screen Saver Settings would.
;
; makensis -INPUTCHARSET UTF8 -DVERSION=1.2.3 -DSTAGE=<folder with the packaged files>
;          -DOUTFILE=<setup.exe> installer.nsi

!ifndef VERSION | STAGE | OUTFILE
  !error "VERSION, STAGE and OUTFILE must be defined"
!endif

Unicode true
; Debian's Wine runs 64-bit programs only, and a native installer suits 64-bit Windows.
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define PRODUCT "Mirokan"
!define PUBLISHER "Mirokan developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
; SPIF_UPDATEINIFILE | SPIF_SENDCHANGE: stored for the user and announced to running programs.
!define SPIF_STORE_AND_ANNOUNCE 3
; Our texts and our uninstaller carry our name (packaging/CMakeLists.txt names the texts so):
; a README.txt, LICENSE.txt or Uninstall.exe of the user's in the chosen folder is neither
; overwritten nor, at uninstall, deleted.
!define README_NAME "Mirokan-README.txt"
!define LICENSE_NAME "Mirokan-LICENSE.txt"
!define WATCHER "MirokanWatch.exe"
!define UNINSTALLER_NAME "Mirokan-Uninstall.exe"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(OpenScreenSaverSettings)"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the fallback; Japanese systems get Japanese.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"
LangString WelcomeText ${LANG_ENGLISH} "This installs Mirokan ${VERSION}, the screen saver \
  that flies you through a tunnel made of your own desktop, for you alone (no administrator \
  rights needed) and makes it your screen saver.$\r$\n$\r$\nClick Next to continue."
LangString WelcomeText ${LANG_JAPANESE} "デスクトップでできたトンネルの中を飛んでいく\
  スクリーン セーバー Mirokan ${VERSION} を、このユーザーだけのためにインストールし (管理者\
  権限は要りません)、スクリーン セーバーに設定します。$\r$\n$\r$\n「次へ」をクリックして\
  続けてください。"
LangString OpenScreenSaverSettings ${LANG_ENGLISH} "Open the Screen Saver Settings"
LangString OpenScreenSaverSettings ${LANG_JAPANESE} "スクリーン セーバーの設定を開く"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (c) ${PUBLISHER}, MIT License"

Function OpenScreenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

; The long form of path $0 in $0 (the value may hold a short 8.3 form); unchanged when the
; file is gone.
!macro LongPathOf
  System::Call 'kernel32::GetLongPathNameW(w r0, w .r9, i ${NSIS_MAX_STRLEN}) i .r8'
  ${If} $8 <> 0
    StrCpy $0 $9
  ${EndIf}
!macroend

Section
  SetOutPath "$INSTDIR"
  ; The watcher of an earlier install keeps its file open: it stops before the files are
  ; replaced (and starts again below).
  ${If} ${FileExists} "$INSTDIR\${WATCHER}"
    ExecWait '"$INSTDIR\${WATCHER}" /off'
  ${EndIf}
  File "${STAGE}/Mirokan.scr"
  File "${STAGE}/Mirokan.data"
  File "${STAGE}/${WATCHER}"
  File "${STAGE}/${README_NAME}"
  File "${STAGE}/${LICENSE_NAME}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER_NAME}"

  ; The system starts the saver from this value's text as it stands; the short form keeps a
  ; user folder with blanks out of its way (it is the long form where 8.3 names are off).
  GetFullPathName /SHORT $0 "$INSTDIR\Mirokan.scr"
  ${If} $0 == ""
    StrCpy $0 "$INSTDIR\Mirokan.scr"
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$0"
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_STORE_AND_ANNOUNCE})'
  ; The watcher starts at every logon of this user, and now: it photographs the desktop just
  ; before the system starts the saver on a desktop of its own.
  ExecWait '"$INSTDIR\${WATCHER}" /on'

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Mirokan.scr"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER_NAME}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER_NAME}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  ; Stopped and no longer started at logon before its file goes.
  ExecWait '"$INSTDIR\${WATCHER}" /off'
  ; Only our own selection is undone, as choosing "(None)" would; another saver the user
  ; picked since stays selected. The switch, the timeout and "On resume, display logon
  ; screen" stay as they are: with them the idle machine still locks.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 != ""
    !insertmacro LongPathOf
    StrCpy $1 $0
    StrCpy $0 "$INSTDIR\Mirokan.scr"
    !insertmacro LongPathOf
    ${If} $1 == $0
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
  ${EndIf}

  Delete "$INSTDIR\Mirokan.scr"
  Delete "$INSTDIR\Mirokan.data"
  Delete "$INSTDIR\${WATCHER}"
  Delete "$INSTDIR\Mirokan.ini"
  Delete "$INSTDIR\${README_NAME}"
  Delete "$INSTDIR\${LICENSE_NAME}"
  Delete "$INSTDIR\${UNINSTALLER_NAME}"
  ; A session that was killed leaves its desktop snapshot behind, perhaps half-written (in
  ; the program folder when the temporary folder could not take it).
  Delete "$TEMP\Zarvo.bmp"
  Delete "$TEMP\Zarvo.bmp.partial"
  Delete "$INSTDIR\Zarvo.bmp"
  Delete "$INSTDIR\Zarvo.bmp.partial"
  ; Not /r: files the user put in the folder (music, say) stay, and so does the folder then.
  RMDir "$INSTDIR"

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
