; A per-user installer for the 64-bit Windows build, made by package.sh:
;   makensis -V2 -INPUTCHARSET UTF8 /DVERSION=1.0.0 /DCOPYRIGHT="2026 The Chronwick developers"
;            /DVERSION_QUAD=1.0.0.0 /DSIZE_KB=N /DFILES=files.nsh
;            /DOUTFILE=chronwick-1.0.0-win64-setup.exe installer.nsi
; FILES names the list package.sh writes from the staged folder, sorted, as two macros: one
; extracts every file, the other deletes them and their folders. Nothing here depends on the
; time or on the order a folder lists its files in, so the same inputs give the same bytes.
; Switches of a silent install (/S): /STARTUP=1 or /STARTUP=0 turns the start at sign-in on or
; off (else it stays as the last install left it, off at first); /D=FOLDER, last, the folder.
; Exit codes: 0 installed, 1 cancelled, 2 failed, 3 the clock is running from the folder.
Unicode true
; The default 32-bit stub installs nothing under a 64-bit-only wine.
Target amd64-unicode
SetCompressor /SOLID lzma
; Files get the time they are installed at; no build time is stored in the installer.
SetDateSave off
RequestExecutionLevel user
ManifestDPIAware true

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Chronwick"

Name "Chronwick ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Chronwick"
; An upgrade goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "Chronwick"
VIAddVersionKey /LANG=1033 "CompanyName" "The Chronwick developers"
VIAddVersionKey /LANG=1033 "FileDescription" "Chronwick ${VERSION} installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}, MIT licence"

!include "${FILES}"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"
; /DSIGN=sign.sh signs the installer and the uninstaller it writes; a failure fails the build.
!ifdef SIGN
    !finalize '"${SIGN}" "%1"' = 0
    !uninstfinalize '"${SIGN}" "%1"' = 0
!endif

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Chronwick"
    SectionIn RO
    SetShellVarContext current
    Call CloseRunningClock
    ; An upgrade: the old version's uninstaller removes its files but config.cwk first, run in
    ; place (_?=) so that ExecWait waits for it; it cannot remove itself.
    ${If} ${FileExists} "$INSTDIR\uninstall.exe"
        ExecWait '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
        Delete "$INSTDIR\uninstall.exe"
    ${EndIf}
    ; Never writes config.cwk: an upgrade keeps the user's settings.
    !insertmacro CHRONWICK_INSTALL_FILES
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ; The clock opens Fonts\ and graphics\ from its working folder, the shortcut's "Start in".
    CreateShortcut "$SMPROGRAMS\Chronwick.lnk" "$INSTDIR\chronwick.exe" "" \
        "$INSTDIR\chronwick.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Chronwick"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\chronwick.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Chronwick developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

; A shortcut in the user's Startup folder, whose "Start in" is the install folder (a Run value
; would start the clock where Fonts\ and graphics\ are not).
Section /o "Start at sign-in" SecStartup
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMSTARTUP\Chronwick.lnk" "$INSTDIR\chronwick.exe" "" \
        "$INSTDIR\chronwick.exe" 0
SectionEnd

; Start at sign-in as /STARTUP= says, else as the last install left it: read before its
; uninstaller removes the shortcut.
Function .onInit
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/STARTUP=" $1
    ${If} ${Errors}
        StrCpy $1 0
        ${If} ${FileExists} "$SMSTARTUP\Chronwick.lnk"
            StrCpy $1 1
        ${EndIf}
    ${EndIf}
    ${If} $1 == 1
        SectionSetFlags ${SecStartup} ${SF_SELECTED}
    ${EndIf}
FunctionEnd

; A running clock keeps chronwick.exe open, and Windows then lets nobody write it: asks the user
; to close it, and quits (exit code 3) on Cancel or in a silent install, before changing anything.
Function CloseRunningClock
    ${DoWhile} ${FileExists} "$INSTDIR\chronwick.exe"
        ClearErrors
        FileOpen $0 "$INSTDIR\chronwick.exe" a
        ${IfNot} ${Errors}
            FileClose $0
            ${Break}
        ${EndIf}
        ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Chronwick is running from $INSTDIR. Close it, then choose Retry." /SD IDCANCEL IDCANCEL`
            SetErrorLevel 3
            Quit
        ${EndIf}
    ${Loop}
FunctionEnd

; Removes what the installer put there and what the clock writes as it runs, but keeps
; config.cwk, the user's settings; the folder goes only once it is empty.
Section "Uninstall"
    SetShellVarContext current
    !insertmacro CHRONWICK_UNINSTALL_FILES
    Delete "$INSTDIR\stdout.txt"
    Delete "$INSTDIR\stderr.txt"
    Delete "$INSTDIR\uninstall.exe"
    Delete "$SMPROGRAMS\Chronwick.lnk"
    Delete "$SMSTARTUP\Chronwick.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    RMDir "$INSTDIR"
SectionEnd
