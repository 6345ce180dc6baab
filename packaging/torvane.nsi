; The Windows installer, Torvane-VERSION-setup.exe, made by scripts/make-installer with
; makensis -DVERSION=... -DSTAGE=... -DICON=... -DOUTFILE=...
; STAGE holds what `cmake --install --strip` put there: the two programs, README.txt and
; THIRD-PARTY-NOTICES.txt.
;
; For the user alone, without administrator rights: the programs go to
; %LOCALAPPDATA%\Programs\Torvane, the Start-menu entry starts Torvane.exe in
; Documents\Torvane (where mat.data and mat.result are written, so it must be a folder
; the user may write), and the uninstaller appears in the user's list of apps. /S
; installs and uninstalls without a window. Installed again into another folder, it
; first removes the copy in the old one, so one copy and one uninstall entry remain; the
; folders it makes above the program's folder, the uninstaller removes again when empty.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
; The stub's PE time stamp (the day NSIS was built) becomes SOURCE_DATE_EPOCH, as every other
; date in the packages; before the data and the installer's checksum are added, so that the
; check still holds. The uninstaller is written from this header too.
!pragma warning error 5021 ; a packer that fails stops the build
!packhdr "${OUTFILE}.header" '"${__FILEDIR__}/../scripts/set-pe-time-stamp" "${OUTFILE}.header"'

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Torvane"
!define WORK_FOLDER "$DOCUMENTS\Torvane"

Name "Torvane ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Torvane"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Torvane"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Torvane ${VERSION} setup"
VIAddVersionKey "CompanyName" "The Torvane developers"
VIAddVersionKey "LegalCopyright" "Copyright 2026 The Torvane developers. All rights reserved."

; Modern UI: a welcome page, the third-party notices (to read, not to accept), the folder,
; the progress; for the uninstaller its confirmation and progress. /S shows none of them.
!include MUI2.nsh
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
BrandingText "Torvane ${VERSION}"

!define MUI_WELCOMEPAGE_TITLE "Torvane ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "This installs Torvane ${VERSION}, which inverts a matrix and shows \
  every pass:$\r$\n$\r$\n\
  Torvane.exe, the dialog program$\r$\n\
  torvane-cli.exe, the console program$\r$\n\
  README.txt and THIRD-PARTY-NOTICES.txt$\r$\n$\r$\n\
  It installs for you alone, without administrator rights.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME

!define MUI_PAGE_HEADER_TEXT "Third-party notices"
!define MUI_PAGE_HEADER_SUBTEXT "The notices of the code that Torvane's programs carry."
!define MUI_LICENSEPAGE_TEXT_TOP "These notices travel with the programs (THIRD-PARTY-NOTICES.txt)."
!define MUI_LICENSEPAGE_TEXT_BOTTOM "They are notices, not terms to accept. $_CLICK"
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\THIRD-PARTY-NOTICES.txt"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!include FileFunc.nsh

; Removes a copy of Torvane from the folder on the stack: only what the installer put
; there, by name (mat.data, mat.result and anything else the user keeps in it stay, and a
; folder that still holds them stays with them), then the folders it made around it, as
; the uninstall entry lists them, innermost first, each only if it is empty.
!macro REMOVE_COPY un
Function ${un}RemoveCopy
  Exch $0
  Push $1
  Push $2
  Delete "$0\Torvane.exe"
  Delete "$0\torvane-cli.exe"
  Delete "$0\README.txt"
  Delete "$0\THIRD-PARTY-NOTICES.txt"
  Delete "$0\Uninstall.exe"
  RMDir "$0"
  StrCpy $1 1
  next:
    ReadRegStr $2 HKCU "${UNINSTALL_KEY}" "CreatedFolder$1"
    StrCmp $2 "" done
    RMDir "$2"
    IntOp $1 $1 + 1
    Goto next
  done:
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro REMOVE_COPY ""
!insertmacro REMOVE_COPY "un."

Section "Torvane"
  ; A copy in another folder goes first, so that one copy and one uninstall entry remain.
  ; Reinstalled in the same folder, the entry keeps the folders the first install made.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  StrCmp $0 "" made_folders
  StrCmp $0 "$INSTDIR" made_folders
  DetailPrint "Removing Torvane from $0"
  Push $0
  Call RemoveCopy
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The folders above $INSTDIR that are not there yet, which SetOutPath makes: recorded,
  ; innermost first, for the uninstaller to remove again.
  made_folders:
  StrCpy $0 "$INSTDIR"
  StrCpy $1 0
  parent:
    ${GetParent} "$0" $0
    StrCmp $0 "" made
    IfFileExists "$0\*.*" made
    IntOp $1 $1 + 1
    WriteRegStr HKCU "${UNINSTALL_KEY}" "CreatedFolder$1" "$0"
    Goto parent
  made:

  SetOutPath "$INSTDIR"
  File "${STAGE}\Torvane.exe"
  File "${STAGE}\torvane-cli.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\THIRD-PARTY-NOTICES.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; A shortcut starts its program in the output folder current when it is made.
  CreateDirectory "${WORK_FOLDER}"
  SetOutPath "${WORK_FOLDER}"
  CreateShortcut "$SMPROGRAMS\Torvane.lnk" "$INSTDIR\Torvane.exe" "" "$INSTDIR\Torvane.exe" 0 \
    SW_SHOWNORMAL "" "Invert a matrix and show every pass"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Torvane ${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Torvane.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Torvane developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Documents\Torvane, like the program's folder, goes only if empty: mat.data and
; mat.result stay, and the folder with them.
Section "Uninstall"
  Push "$INSTDIR"
  Call un.RemoveCopy
  Delete "$SMPROGRAMS\Torvane.lnk"
  RMDir "${WORK_FOLDER}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
