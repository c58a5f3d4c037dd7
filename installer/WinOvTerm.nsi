; The Windows installer of WinOvTerm and NetSpool, built with Debian's NSIS by
; installer/CMakeLists.txt (the target "installer" of a MinGW tree):
;
;   makensis /DVERSION=1.7 /DVERSION_QUAD=1.7.0.0 /DARCH=x64|x86
;            /DBINDIR=<dir holding WinOvTerm.exe and NetSpool.exe>
;            /DOUTFILE=<setup.exe> /DICON=<WinOvTerm.ico> WinOvTerm.nsi
;
; Installs both programs under Program Files\WinOvTerm (the 64-bit one for
; ARCH=x64), Start menu shortcuts for all users and the uninstaller, and
; registers the uninstaller for Settings, Apps. /S installs and uninstalls
; silently. The uninstaller removes exactly what the installer made; the
; users' own settings (HKCU\SOFTWARE\Orvane Emulator, HKCU\SOFTWARE\NetSpool)
; stay. No plugin is used beyond what Modern UI brings (nsDialogs), which
; Debian's nsis ships for both targets.

!macro Required NAME
  !ifndef ${NAME}
    !error "${NAME} is not defined: makensis needs /D${NAME}=... (see the head of this file)"
  !endif
!macroend
!insertmacro Required VERSION
!insertmacro Required VERSION_QUAD
!insertmacro Required ARCH
!insertmacro Required BINDIR
!insertmacro Required OUTFILE
!insertmacro Required ICON

!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
  !define ARCH_TEXT "64-bit"
  !define OTHER_ARCH_TEXT "32-bit"
  !define REG_VIEW 64
  !define OTHER_REG_VIEW 32
!else if "${ARCH}" == "x86"
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES"
  !define ARCH_TEXT "32-bit"
  !define OTHER_ARCH_TEXT "64-bit"
  !define REG_VIEW 32
  !define OTHER_REG_VIEW 64
!else
  !error "ARCH must be x64 or x86, not ${ARCH}"
!endif

!define PRODUCT "WinOvTerm"
!define PUBLISHER "The WinOvTerm developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\WinOvTerm"
!define UNINSTALLER "uninstall.exe"
!define MENU_FOLDER "$SMPROGRAMS\WinOvTerm"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\WinOvTerm"
; An earlier installation is updated where it is (read in the same registry
; view as written: the installer's own, 64-bit for x64, 32-bit for x86).
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT} ${VERSION} (${ARCH_TEXT})"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} (${ARCH_TEXT}) setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!if "${ARCH}" == "x86"
  !include "x64.nsh"  ; RunningX64, through the System plugin
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start WinOvTerm"
!define MUI_FINISHPAGE_RUN_FUNCTION StartFromShortcut
!define MUI_FINISHPAGE_NOREBOOTSUPPORT

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Windows keeps a running program's file open: it can be neither replaced
; nor deleted. Rather than skip such a file and report success (what a silent
; File or Delete would do), the installer and the uninstaller stop before
; changing anything and say which program to close. With /S the answer is
; Cancel: the run ends (exit code 2) with everything as it was.
!macro RequireClosed PREFIX
Function ${PREFIX}RequireClosed
    Exch $0  ; the file
    Push $1
    retry:
    ${If} ${FileExists} "$0"
        ClearErrors
        FileOpen $1 "$0" a
        ${If} ${Errors}
            MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
                "$0 is in use.$\r$\n$\r$\nClose the program, then click Retry." \
                /SD IDCANCEL IDRETRY retry
            SetErrorLevel 2  ; the uninstaller would end with 0 otherwise
            Abort "$0 is in use; nothing was changed."
        ${EndIf}
        FileClose $1
    ${EndIf}
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro RequireClosed ""
!insertmacro RequireClosed "un."

; The finish page's "Start WinOvTerm": through Explorer and the shortcut, so
; that the program runs as the signed-in user (not as the administrator setup
; runs as, whose settings and files would be the wrong ones) and in the
; shortcut's working directory.
Function StartFromShortcut
    Exec '"$WINDIR\explorer.exe" "${MENU_FOLDER}\WinOvTerm.lnk"'
FunctionEnd

!macro Views
    ; All users: the programs go to Program Files and the uninstaller is
    ; registered in HKLM, so the shortcuts belong to every user as well.
    SetShellVarContext all
    SetRegView ${REG_VIEW}
!macroend

; The other build registers in the other registry view but shares the Start
; menu folder: installing both would leave each one's uninstaller removing the
; other's shortcuts. 32-bit Windows has one view, and only the x86 build.
Function RefuseOtherBuild
    !if "${ARCH}" == "x86"
        ${IfNot} ${RunningX64}
            Return
        ${EndIf}
    !endif
    SetRegView ${OTHER_REG_VIEW}
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    SetRegView ${REG_VIEW}
    ${If} $0 != ""
        MessageBox MB_OK|MB_ICONSTOP \
            "${PRODUCT} (${OTHER_ARCH_TEXT}) is installed in $0.$\r$\n$\r$\nUninstall it first (Settings, Apps), then run this setup again." \
            /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}
FunctionEnd

Function .onInit
    !insertmacro Views
    Call RefuseOtherBuild
FunctionEnd

Function un.onInit
    !insertmacro Views
FunctionEnd

Section "WinOvTerm and NetSpool" SectionPrograms
    SectionIn RO
    Push "$INSTDIR\WinOvTerm.exe"
    Call RequireClosed
    Push "$INSTDIR\NetSpool.exe"
    Call RequireClosed

    SetOutPath "$INSTDIR"
    File "${BINDIR}\WinOvTerm.exe"
    File "${BINDIR}\NetSpool.exe"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    ; The programs write their files (scope.log, the FTP scripts) into the
    ; working directory: the user's own folder, not Program Files, which
    ; users cannot write to. Windows expands the variable when the shortcut
    ; starts; CreateShortcut takes the working directory from $OUTDIR.
    CreateDirectory "${MENU_FOLDER}"
    StrCpy $OUTDIR "%USERPROFILE%"
    CreateShortcut "${MENU_FOLDER}\WinOvTerm.lnk" "$INSTDIR\WinOvTerm.exe" "" "$INSTDIR\WinOvTerm.exe" 0
    CreateShortcut "${MENU_FOLDER}\NetSpool.lnk" "$INSTDIR\NetSpool.exe" "" "$INSTDIR\NetSpool.exe" 0
    StrCpy $OUTDIR "$INSTDIR"
    CreateShortcut "${MENU_FOLDER}\Uninstall WinOvTerm.lnk" "$INSTDIR\${UNINSTALLER}"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION} (${ARCH_TEXT})"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\WinOvTerm.exe,0"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    SectionGetSize ${SectionPrograms} $0  ; KB, as EstimatedSize counts
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    Push "$INSTDIR\WinOvTerm.exe"
    Call un.RequireClosed
    Push "$INSTDIR\NetSpool.exe"
    Call un.RequireClosed

    Delete "${MENU_FOLDER}\WinOvTerm.lnk"
    Delete "${MENU_FOLDER}\NetSpool.lnk"
    Delete "${MENU_FOLDER}\Uninstall WinOvTerm.lnk"
    RMDir "${MENU_FOLDER}"

    Delete "$INSTDIR\WinOvTerm.exe"
    Delete "$INSTDIR\NetSpool.exe"
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Not /r: anything a user put there stays, and so does the folder then.
    RMDir "$INSTDIR"

    ; Last, so that a broken-off uninstall can be run again from Settings.
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
