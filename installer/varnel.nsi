; Varnel's installer: one installer for 32- and 64-bit Windows. It puts the
; 64-bit Varnel.exe on 64-bit Windows and the 32-bit one elsewhere, per
; machine, into Program Files, with Readme.txt and the licence files, a
; Start-menu shortcut and an entry in Add/Remove Programs.
;
; Built by scripts/package.sh:
;   makensis -DVERSION=1.0.0 -DSTAGE=<folder> -DOUTFILE=<file> installer/varnel.nsi
; STAGE holds win32/ and win64/, each with Varnel.exe, Readme.txt, LICENSE
; and THIRD-PARTY-NOTICES.txt. With -DAMD64 the installer is itself a
; 64-bit program (for tests where 32-bit programs cannot run); it then
; always takes the 64-bit exe.
;
; Setup: /S silent, /D=<folder> another folder (last on the line).
; Uninstall.exe: /S silent, /REMOVESETTINGS removes the settings too, as
; ticking "Remove my settings" does. Captures are never touched.

!macro REQUIRE name
  !ifndef ${name}
    !error "-D${name}=... is missing (see scripts/package.sh)"
  !endif
!macroend
!insertmacro REQUIRE VERSION
!insertmacro REQUIRE STAGE
!insertmacro REQUIRE OUTFILE

!ifdef AMD64
  Target amd64-unicode
  ; ${RunningX64} always holds here, which leaves LogicLib's else-labels unused.
  !pragma warning disable 6012
!else
  Target x86-unicode
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include WinVer.nsh
!include WinMessages.nsh
!include Sections.nsh

!define PUBLISHER "the Varnel authors"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
; Varnel's one top-level window, which ends the program on a close request.
!define WINDOW_CLASS "VarnelMain"

Name "Varnel"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "Varnel ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Varnel"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Varnel ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!define MUI_ICON "../resources/varnel.ico"
!define MUI_UNICON "../resources/varnel.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Varnel"
!define MUI_FINISHPAGE_RUN_FUNCTION StartVarnel
!define MUI_UNCOMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_LICENSE "${STAGE}/win32/LICENSE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_TEXT_TOP "Your settings are kept unless you tick $\"Remove my settings$\". Your screenshots are always kept."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Asks every running Varnel to end through its window's close request, as
; its close button does, so that it saves its settings, and waits for each
; to end. Varnel is never killed: when one does not end, the user is asked
; to end it; a silent run gives up with an error.
!macro CLOSE_VARNEL un
Function ${un}CloseVarnel
  retry:
  StrCpy $R1 0
  loop:
    FindWindow $R0 "${WINDOW_CLASS}"
    ${If} $R0 P= 0
      Return
    ${EndIf}
    ${If} $R1 >= 5
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Varnel is still running. End it (double-click its icon with the right mouse button), then choose Retry." \
        /SD IDCANCEL IDRETRY retry
      Abort "Varnel is still running."
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R2) i'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i R2) p .R3'
    SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=10000
    ${If} $R3 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p R3, i 10000) i'
      System::Call 'kernel32::CloseHandle(p R3) i'
    ${EndIf}
    IntOp $R1 $R1 + 1
    Goto loop
FunctionEnd
!macroend
!insertmacro CLOSE_VARNEL ""
!insertmacro CLOSE_VARNEL "un."

Section "Varnel" SecMain
  SectionIn RO
  Call CloseVarnel
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "${STAGE}/win64/Varnel.exe"
  ${Else}
    File "${STAGE}/win32/Varnel.exe"
  ${EndIf}
  File "${STAGE}/win32/Readme.txt"
  File "${STAGE}/win32/LICENSE"
  File "${STAGE}/win32/THIRD-PARTY-NOTICES.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\Varnel.lnk" "$INSTDIR\Varnel.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Varnel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Varnel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Deletes the start-up entry under a root when it starts this installation's
; Varnel.exe (by its long or short path), with its switch in Task Manager's
; Startup tab; an entry of another copy of Varnel, such as one from the
; zip, is left alone.
!macro REMOVE_RUN_ENTRY root shortdir
  ReadRegStr $0 ${root} "${RUN_KEY}" "Varnel"
  ${If} $0 == '"$INSTDIR\Varnel.exe"'
  ${OrIf} $0 == '"${shortdir}\Varnel.exe"'
    DeleteRegValue ${root} "${RUN_KEY}" "Varnel"
    DeleteRegValue ${root} "${APPROVED_KEY}" "Varnel"
  ${EndIf}
!macroend

Section "un.Varnel" SecUnMain
  SectionIn RO
  Call un.CloseVarnel
  GetFullPathName /SHORT $R5 "$INSTDIR"
  !insertmacro REMOVE_RUN_ENTRY HKLM $R5
  !insertmacro REMOVE_RUN_ENTRY HKCU $R5

  Delete /REBOOTOK "$INSTDIR\Varnel.exe"
  Delete "$INSTDIR\Readme.txt"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\Uninstall.exe"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Varnel.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Remove my settings" SecUnSettings
  ; Beside the exe when an administrator ran Varnel, else per user.
  Delete "$INSTDIR\Varnel.ini"
  SetShellVarContext current
  Delete "$APPDATA\Varnel\Varnel.ini"
  RMDir "$APPDATA\Varnel"
SectionEnd

Section "-un.Folder"
  ; Left in place while it still holds the settings.
  RMDir /REBOOTOK "$INSTDIR"
SectionEnd

Function .onInit
  ${IfNot} ${AtLeastWin7}
    MessageBox MB_ICONSTOP "Varnel needs Windows 7 or later." /SD IDOK
    Abort
  ${EndIf}
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ; No /D= on the command line: the folder of an earlier installation, else
  ; Program Files (the 64-bit one on 64-bit Windows).
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} ${RunningX64}
      StrCpy $INSTDIR "$PROGRAMFILES64\Varnel"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\Varnel"
    ${EndIf}
  ${EndIf}
FunctionEnd

; The finish page's "Start Varnel": through Explorer, so that Varnel runs
; as the user who is logged on and not with this installer's rights (its
; settings and start-up entry then go where that user's belong).
Function StartVarnel
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\Varnel.exe"'
FunctionEnd

Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecUnSettings}
  ${EndIf}
FunctionEnd
