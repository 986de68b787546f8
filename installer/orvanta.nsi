; Orvanta's installer: a per-machine install into a folder inside Program
; Files (no other folder is accepted) with a Start-menu shortcut, an entry
; in Add/Remove Programs, graph documents (.orv) registered for all users,
; and an uninstaller that removes every file and key it installed and
; leaves the user's preferences.
; Built by scripts/package, which passes:
;   /DSTAGE=folder holding Orvanta.exe, orvanta-cli.exe, README.txt, LICENSE.txt
;   /DICON=the icon file
;   /DOUTFILE=the setup program to write
;   /DVERSION=1.1  /DVERSION_DOTTED=1.1.0.0

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "Orvanta"
!define COMPANY "Pellmora"
!define HOME_PAGE "http://www.pellmora.com/"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; Graph documents: the extension and the class it names, for all users.
!define CLASSES "Software\Classes"
!define DOC_EXT ".orv"
!define DOC_PROGID "Pellmora.Orvanta.Graph"
; Tells the shell that file associations changed, so that Explorer shows the
; new icon and opens the files with the new command without a restart:
; SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, NULL, NULL).
!define ANNOUNCE_ASSOCIATIONS "System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'"

Name "${PRODUCT} ${VERSION}"
Caption "${PRODUCT} ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; A later install goes where the last one went (when that is inside Program
; Files: .onInit sees to it).
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
Icon "${ICON}"
UninstallIcon "${ICON}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_DOTTED}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${COMPANY}"

LicenseData "${STAGE}\LICENSE.txt"
Page license
DirText "Setup will install ${PRODUCT} in the following folder. To install in a different folder, click Browse and choose one inside Program Files. $_CLICK"
Page directory "" "" DirectoryLeave
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${PRODUCT} needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all

  ; NSIS cuts " /D=folder" off the end of $CMDLINE but not off the process's
  ; own command line, where the folder is found as typed. (NSIS itself
  ; ignores a folder it finds malformed, such as one written with "/", and
  ; would install into the default folder instead.)
  System::Call 'kernel32::GetCommandLineW() w .r1'
  StrLen $2 $CMDLINE
  StrCpy $3 $1 4 $2
  IntOp $2 $2 + 4
  StrCpy $1 $1 "" $2
  ${If} $3 S!= " /D="
    ; No /D=: the default folder, or the folder of an earlier install. One
    ; outside Program Files gives way to the default folder.
    Push $INSTDIR
    Call FolderInsideProgramFiles
    Pop $0
    ${If} $0 == ""
      StrCpy $0 "$PROGRAMFILES64\${PRODUCT}"
    ${EndIf}
    StrCpy $INSTDIR $0
  ${Else}
    Push $1
    Call FolderInsideProgramFiles
    Pop $0
    ${If} $0 != ""
      StrCpy $INSTDIR $0
    ${ElseIf} ${Silent}
      ; A silent install into a folder outside Program Files installs nothing.
      SetErrorLevel 2
      Quit
    ${Else}
      ; The directory page shows the folder given and refuses it.
      StrCpy $INSTDIR $1
    ${EndIf}
  ${EndIf}
FunctionEnd

; Only a folder inside Program Files may hold the programs: only
; administrators can change what is there. Another folder, such as
; C:\Orvanta, inherits from the drive's root a right for every signed-in
; user to modify it, so anyone could replace Orvanta.exe or the uninstaller
; that an administrator later runs elevated.
Function DirectoryLeave
  Push $0
  Push $INSTDIR
  Call FolderInsideProgramFiles
  Pop $0
  ${If} $0 == ""
    Pop $0
    MessageBox MB_OK|MB_ICONEXCLAMATION "Please choose a folder inside Program Files."
    Abort
  ${EndIf}
  StrCpy $INSTDIR $0
  Pop $0
FunctionEnd

; FOLDER -> the folder made full and canonical (no "." or "..", "/" made
; "\", no trailing backslash) when it lies strictly below Program Files,
; compared without case; an empty string for any other folder or one that
; cannot be made full.
Function FolderInsideProgramFiles
  Exch $0
  Push $1
  Push $2
  Push $0
  Call FullPath
  Pop $0
  Push $PROGRAMFILES64
  Call FullPath
  Pop $1
  StrLen $2 $1
  ; Program Files and a backslash must begin the folder; something follows,
  ; as the folder has no trailing backslash.
  StrCpy $1 "$1\"
  IntOp $2 $2 + 1
  StrCpy $2 $0 $2
  ${If} $2 != $1
  ${OrIf} $1 == "\"
    StrCpy $0 ""
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; PATH -> the full path without trailing backslashes; an empty string when
; Windows cannot make it full. Windows' GetFullPathName works on the text
; alone, so the folder need not exist (the NSIS instruction of that name
; fails on a folder that does not). A result that does not fit the buffer
; comes back as the size it needs.
Function FullPath
  Exch $0
  Push $1
  Push $2
  System::Call 'kernel32::GetFullPathNameW(w r0, i ${NSIS_MAX_STRLEN}, w .r1, p 0) i .r2'
  ${If} $2 <= 0
  ${OrIf} $2 >= ${NSIS_MAX_STRLEN}
    StrCpy $1 ""
  ${EndIf}
  StrCpy $2 $1 1 -1
  ${While} $2 == "\"
    StrCpy $1 $1 -1
    StrCpy $2 $1 1 -1
  ${EndWhile}
  StrCpy $0 $1
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "${PRODUCT}"
  SetOutPath "$INSTDIR"
  File "${STAGE}\Orvanta.exe"
  File "${STAGE}\orvanta-cli.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Orvanta.exe" "" "$INSTDIR\Orvanta.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Orvanta.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${HOME_PAGE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; Add/Remove Programs shows the size in KiB.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"

  ; Double-clicking a graph opens it in Orvanta; its icon is the document
  ; icon, the second icon group of Orvanta.exe (index 1).
  WriteRegStr HKLM "${CLASSES}\${DOC_EXT}" "" "${DOC_PROGID}"
  WriteRegStr HKLM "${CLASSES}\${DOC_PROGID}" "" "Orvanta Graph"
  WriteRegStr HKLM "${CLASSES}\${DOC_PROGID}\DefaultIcon" "" '"$INSTDIR\Orvanta.exe",1'
  WriteRegStr HKLM "${CLASSES}\${DOC_PROGID}\shell\open\command" "" '"$INSTDIR\Orvanta.exe" "%1"'
  ${ANNOUNCE_ASSOCIATIONS}
SectionEnd

; Only what the installer put there; the preferences under
; Software\Pellmora stay, and so does a folder the user has added files to.
; Another program may have taken .orv over or added to its key since: the
; extension keeps whatever is not ours.
Section "Uninstall"
  Delete "$INSTDIR\Orvanta.exe"
  Delete "$INSTDIR\orvanta-cli.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  DeleteRegKey HKLM "${CLASSES}\${DOC_PROGID}"
  ; Key names ignore case, so the value is ours whatever its case.
  ReadRegStr $0 HKLM "${CLASSES}\${DOC_EXT}" ""
  ${If} $0 == "${DOC_PROGID}"
    DeleteRegValue HKLM "${CLASSES}\${DOC_EXT}" ""
  ${EndIf}
  ; Only when neither values nor subkeys are left.
  DeleteRegKey /ifempty HKLM "${CLASSES}\${DOC_EXT}"
  ${ANNOUNCE_ASSOCIATIONS}

  ; The entry goes last: an uninstall cut short stays listed.
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
