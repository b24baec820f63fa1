; Lysora's installer, _setup.exe, made by installer/CMakeLists.txt with these definitions:
;   TARGET           x86-unicode (32-bit set) or amd64-unicode (64-bit set)
;   VERSION          the release number from the VERSION file, for example 1.0.0
;   ICON             the program's icon
;   INSTALL_FILES    File lines, one per shipped file
;   UNINSTALL_FILES  the matching Delete lines for the uninstaller
;   OUTFILE          the installer to write
;
; It installs for the current user only: the program writes its settings file Lysora.ini
; in its own folder, so that folder must stay writable without administrator rights.
; Lysora.ini is never shipped, so an upgrade cannot overwrite it, and the uninstaller
; deletes only the files it installed, so the settings (and their folder) stay.

Unicode true
Target ${TARGET}
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lysora"
!define MENU_FOLDER "$SMPROGRAMS\Lysora"

Name "Lysora ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Lysora"
; An upgrade goes where the previous installation went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Lysora ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Lysora"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Lysora ${VERSION} Setup"
VIAddVersionKey /LANG=0 "LegalCopyright" "© 2026 Lysora"

!include MUI2.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Lysora.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The system's language picks the texts; English when it is neither of the two.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "French"
!include "texts.nsh"

Section "Lysora"
  SetOutPath "$INSTDIR"
  !include "${INSTALL_FILES}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\Lysora.lnk" "$INSTDIR\Lysora.exe"
  CreateShortcut "${MENU_FOLDER}\$(UninstallShortcut).lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Lysora"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Lysora.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !include "${UNINSTALL_FILES}"
  Delete "$INSTDIR\Uninstall.exe"
  ; Not /r: the folder goes only when empty, that is when no settings file remains.
  RMDir "$INSTDIR"

  Delete "${MENU_FOLDER}\Lysora.lnk"
  ; The shortcut's name follows the language at install time: remove both.
  Delete "${MENU_FOLDER}\${UNINSTALL_SHORTCUT_ENGLISH}.lnk"
  Delete "${MENU_FOLDER}\${UNINSTALL_SHORTCUT_FRENCH}.lnk"
  RMDir "${MENU_FOLDER}"

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
