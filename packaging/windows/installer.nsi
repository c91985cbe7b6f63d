; A per-user installer for the 64-bit Windows build, made by tools/windows/package.sh:
;   makensis -V2 -INPUTCHARSET UTF8 /DVERSION=1.0.0 /DVERSION_QUAD=1.0.0.0 /DSIZE_KB=N
;            /DFILES=files.nsh /DOUTFILE=chronwick-1.0.0-win64-setup.exe installer.nsi
; FILES names the list package.sh writes from the staged folder, sorted, as two macros: one
; extracts every file, the other deletes them and their folders. Nothing here depends on the
; time or on the order a folder lists its files in, so the same inputs give the same bytes.
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
VIAddVersionKey /LANG=1033 "LegalCopyright" "2026 The Chronwick developers, MIT licence"

!include "${FILES}"
; /DSIGN=sign.sh signs the installer and the uninstaller it writes; a failure fails the build.
!ifdef SIGN
    !finalize '"${SIGN}" "%1"' = 0
    !uninstfinalize '"${SIGN}" "%1"' = 0
!endif

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Chronwick"
    SetShellVarContext current
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

; Removes what the installer put there and what the clock writes as it runs, but keeps
; config.cwk, the user's settings; the folder goes only once it is empty.
Section "Uninstall"
    SetShellVarContext current
    !insertmacro CHRONWICK_UNINSTALL_FILES
    Delete "$INSTDIR\stdout.txt"
    Delete "$INSTDIR\stderr.txt"
    Delete "$INSTDIR\uninstall.exe"
    Delete "$SMPROGRAMS\Chronwick.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    RMDir "$INSTDIR"
SectionEnd
