; The Windows installer: the effect module into a folder Zarvo under the plug-in folder of every
; After Effects found in the registry (or into a folder the user chooses), the command line
; renderer into Program Files, and an uninstaller listed in Add/Remove Programs that removes
; exactly the copies this installer wrote. Made by the build's zarvo_installer target:
;   makensis -DVERSION=X.Y.Z -DMODULE=... -DCOMMAND=... -DREADME=... -DCOPYRIGHT=...
;            -DOUTFILE=... ZarvoNeon.nsi
;
; Command line:
;   /S             silent: into every After Effects found
;   /D=<folder>    the module into that folder instead of the After Effects found (last on the
;                  line, no quotes; with or without /S)
; Exit codes: 0 installed, 1 cancelled, 2 failed (nothing to install into, or a folder or file
; that cannot be written: the message says which). A silent run writes what it did to standard
; output and what failed to standard error, where the caller gives them.
; A copy already in a folder whose version is newer than this one is left as it is.

!ifndef VERSION | MODULE | COMMAND | README | COPYRIGHT | OUTFILE
    !error "give VERSION, MODULE, COMMAND, README, COPYRIGHT and OUTFILE with -D"
!endif

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; Installed files take the install time, not the build's: the same commit makes the same installer.
SetDateSave off

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZarvoNeon"
!define AE_KEY "SOFTWARE\Adobe\After Effects"
; The module copies this installer wrote and the folders it made for them, one a line
; ("module|<file>", "folder|<folder>"), beside the uninstaller.
!define RECORD "installed-copies.txt"
!define STD_OUTPUT -11
!define STD_ERROR -12

Name "Zarvo Neon ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "Zarvo Neon ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

Var ProgramDir   ; the command, the uninstaller and the record
Var DirGiven     ; 1 when /D= named the module's folder
Var Found        ; After Effects versions found
Var Installed    ; the folders the module went into, a line each
Var Kept         ; the folders holding a newer copy, left as they were
Var Copies       ; the module copies recorded
Var DirNote      ; the folder page's first words
Var Failures     ; the uninstaller's count of what it could not remove

;--------------------------------------------------------------------------------------------------
; Pages

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_TEXT_TOP "Zarvo Neon goes into a folder Zarvo in the plug-in folder of each After Effects ticked below. Tick Another folder to choose one yourself."
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE ComponentsLeave
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_PRE DirectoryPre
!define MUI_DIRECTORYPAGE_TEXT_TOP "$DirNoteThe effect module ZarvoNeon.aex goes into this folder. For After Effects, choose a folder Zarvo in its plug-in folder: <After Effects>\Support Files\Plug-ins\Zarvo."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Folder for ZarvoNeon.aex"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "ZarvoNeon.aex is installed in:$\r$\n$Installed$\r$\nIn After Effects the effect is under Effect > Zarvo > Zarvo Neon.$\r$\n$\r$\nThe command line renderer is $ProgramDir\zarvo-neon.exe."
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Zarvo Neon"
VIAddVersionKey "CompanyName" "Zarvo"
VIAddVersionKey "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey "FileDescription" "Zarvo Neon ${VERSION} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

;--------------------------------------------------------------------------------------------------
; Helpers for both the installer and the uninstaller (the uninstaller's carry the "un." prefix).

!macro SHARED_FUNCTIONS un
    ; Text on standard output or error (id on the stack below the text), when the caller gave one:
    ; a silent run has no window to say it in.
    Function ${un}Console
        Exch $0 ; id
        Exch
        Exch $1 ; text
        Push $2
        System::Call 'kernel32::GetStdHandle(i r0) p .r2'
        ${If} $2 P<> 0
        ${AndIf} $2 P<> -1
            FileWrite $2 "$1$\r$\n"
        ${EndIf}
        Pop $2
        Pop $1
        Pop $0
    FunctionEnd

    ; Stops with the message on the stack: a message box, or standard error when silent; exit
    ; code 2.
    Function ${un}Fail
        Exch $0
        DetailPrint "$0"
        ${If} ${Silent}
            Push "$0"
            Push ${STD_ERROR}
            Call ${un}Console
        ${Else}
            MessageBox MB_OK|MB_ICONSTOP "$0"
        ${EndIf}
        SetErrorLevel 2
        Abort
    FunctionEnd

    ; "1" when the file on the stack has a version resource newer than this module's, else "0".
    ; A copy without one predates the versioned releases.
    Function ${un}IsNewer
        Exch $0
        Push $1
        Push $2
        Push $3
        Push $4
        ClearErrors
        GetDLLVersion "$0" $1 $2
        ${If} ${Errors}
            StrCpy $0 0
        ${Else}
            GetDLLVersionLocal "${MODULE}" $3 $4
            StrCpy $0 0
            ${If} $1 U> $3
                StrCpy $0 1
            ${ElseIf} $1 = $3
            ${AndIf} $2 U> $4
                StrCpy $0 1
            ${EndIf}
        ${EndIf}
        Pop $4
        Pop $3
        Pop $2
        Pop $1
        Exch $0
    FunctionEnd

    ; The line read into $R0 without its line end.
    Function ${un}TrimLine
        ${Do}
            StrCpy $R1 $R0 1 -1
            ${If} $R1 == "$\r"
            ${OrIf} $R1 == "$\n"
                StrCpy $R0 $R0 -1
            ${Else}
                ${Break}
            ${EndIf}
        ${Loop}
    FunctionEnd
!macroend
!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

; Adds the line on the stack to the record unless it is there already (paths compare ignoring
; case, as Windows does).
Function RecordAdd
    Exch $0
    Push $1
    Push $R0
    Push $R1
    ClearErrors
    FileOpen $1 "$ProgramDir\${RECORD}" r
    ${IfNot} ${Errors}
        ${Do}
            ClearErrors
            FileReadUTF16LE $1 $R0
            ${If} ${Errors}
                ${Break}
            ${EndIf}
            Call TrimLine
            ${If} $R0 == $0
                StrCpy $0 ""
                ${Break}
            ${EndIf}
        ${Loop}
        FileClose $1
    ${EndIf}
    ${If} $0 != ""
        ClearErrors
        FileOpen $1 "$ProgramDir\${RECORD}" a
        ${If} ${Errors}
            Push "Cannot write $ProgramDir\${RECORD}."
            Call Fail
        ${EndIf}
        FileSeek $1 0 END
        FileWriteUTF16LE $1 "$0$\r$\n"
        FileClose $1
        StrCpy $R0 $0 7
        ${If} $R0 == "module|"
            IntOp $Copies $Copies + 1
        ${EndIf}
    ${EndIf}
    Pop $R1
    Pop $R0
    Pop $1
    Pop $0
FunctionEnd

; Keeps of an earlier install's record the copies still there and not newer than this one (a
; newer copy is someone else's now) and the folders still there.
Function RecordCarryOver
    Push $0
    Push $1
    Push $2
    Push $R0
    Push $R1
    ClearErrors
    FileOpen $1 "$ProgramDir\${RECORD}.new" w
    ${If} ${Errors}
        Push "Cannot write $ProgramDir\${RECORD}.new."
        Call Fail
    ${EndIf}
    ClearErrors
    FileOpen $2 "$ProgramDir\${RECORD}" r
    ${IfNot} ${Errors}
        ${Do}
            ClearErrors
            FileReadUTF16LE $2 $R0
            ${If} ${Errors}
                ${Break}
            ${EndIf}
            Call TrimLine
            StrCpy $0 $R0 7
            StrCpy $R1 $R0 "" 7
            ${If} $0 == "module|"
            ${AndIf} ${FileExists} "$R1"
                Push "$R1"
                Call IsNewer
                Pop $0
                ${If} $0 == 0
                    FileWriteUTF16LE $1 "$R0$\r$\n"
                    IntOp $Copies $Copies + 1
                ${EndIf}
            ${ElseIf} $0 == "folder|"
            ${AndIf} ${FileExists} "$R1\*.*"
                FileWriteUTF16LE $1 "$R0$\r$\n"
            ${EndIf}
        ${Loop}
        FileClose $2
    ${EndIf}
    FileClose $1
    ClearErrors
    Delete "$ProgramDir\${RECORD}"
    Rename "$ProgramDir\${RECORD}.new" "$ProgramDir\${RECORD}"
    ${If} ${Errors}
        Push "Cannot write $ProgramDir\${RECORD}."
        Call Fail
    ${EndIf}
    Pop $R1
    Pop $R0
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

; Puts the file extracted to <path>.new in place of <path> (on the stack), so that a failed write
; leaves the old file whole.
Function Replace
    Exch $0
    ClearErrors
    Delete "$0"
    ${If} ${Errors}
        Delete "$0.new"
        Push "Cannot replace $0: is it in use? Close After Effects and zarvo-neon.exe and try again."
        Call Fail
    ${EndIf}
    Rename "$0.new" "$0"
    ${If} ${Errors}
        Push "Cannot write $0."
        Call Fail
    ${EndIf}
    Pop $0
FunctionEnd

; Extracts SOURCE as <DEST>.new, then puts it in place.
!macro PLACE SOURCE DEST
    SetOverwrite try
    ClearErrors
    File "/oname=${DEST}.new" "${SOURCE}"
    ${If} ${Errors}
        Delete "${DEST}.new"
        Push "Cannot write ${DEST}: the folder cannot be written or the disk is full."
        Call Fail
    ${EndIf}
    Push "${DEST}"
    Call Replace
!macroend

; Installs the module into the folder on the stack, unless a newer copy is there, and records it
; with the folders made for it.
Function InstallModule
    Exch $0
    Push $1
    Push $2
    Push $3
    ; The folders that do not exist yet, counted from the deepest; made below, then recorded.
    StrCpy $1 0
    StrCpy $2 $0
    ${DoUntil} ${FileExists} "$2\*.*"
        IntOp $1 $1 + 1
        ${GetParent} $2 $2
    ${LoopUntil} $2 == ""
    ClearErrors
    CreateDirectory "$0"
    ${IfNot} ${FileExists} "$0\*.*"
        Push "Cannot create the folder $0."
        Call Fail
    ${EndIf}
    StrCpy $2 $0
    ${For} $3 1 $1
        Push "folder|$2"
        Call RecordAdd
        ${GetParent} $2 $2
    ${Next}

    ${If} ${FileExists} "$0\ZarvoNeon.aex"
        Push "$0\ZarvoNeon.aex"
        Call IsNewer
        Pop $1
        ${If} $1 == 1
            GetDLLVersion "$0\ZarvoNeon.aex" $1 $2
            IntOp $3 $1 >> 16
            IntOp $1 $1 & 0xFFFF
            StrCpy $1 "$3.$1"
            IntOp $3 $2 >> 16
            IntOp $2 $2 & 0xFFFF
            StrCpy $1 "$1.$3.$2"
            DetailPrint "Left the newer copy (version $1) in $0"
            StrCpy $Kept "$Kept$0 (version $1)$\r$\n"
            Goto done
        ${EndIf}
    ${EndIf}
    !insertmacro PLACE "${MODULE}" "$0\ZarvoNeon.aex"
    Push "module|$0\ZarvoNeon.aex"
    Call RecordAdd
    DetailPrint "Installed ZarvoNeon.aex in $0"
    StrCpy $Installed "$Installed$0$\r$\n"
done:
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

;--------------------------------------------------------------------------------------------------
; Sections. The After Effects slots come one after another, so that a slot's section index is the
; first one's plus its number.

Section "-Command line renderer and uninstaller" SecCore
    SetRegView 64
    ClearErrors
    CreateDirectory "$ProgramDir"
    ${IfNot} ${FileExists} "$ProgramDir\*.*"
        Push "Cannot create the folder $ProgramDir."
        Call Fail
    ${EndIf}
    ; The command loads the module beside it unless told another.
    !insertmacro PLACE "${COMMAND}" "$ProgramDir\zarvo-neon.exe"
    !insertmacro PLACE "${MODULE}" "$ProgramDir\ZarvoNeon.aex"
    !insertmacro PLACE "${README}" "$ProgramDir\README.txt"
    ClearErrors
    WriteUninstaller "$ProgramDir\uninstall.exe"
    ${If} ${Errors}
        Push "Cannot write $ProgramDir\uninstall.exe."
        Call Fail
    ${EndIf}
    Call RecordCarryOver

    ClearErrors
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Zarvo Neon"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Zarvo"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$ProgramDir\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$ProgramDir\uninstall.exe" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$ProgramDir"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$ProgramDir\uninstall.exe"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${If} ${Errors}
        Push "Cannot write the registry key HKLM\${UNINSTALL_KEY}."
        Call Fail
    ${EndIf}
SectionEnd

!macro AE_SLOT N
    Var AePath${N}
    Section /o "" SecAe${N}
        Push "$AePath${N}\Zarvo"
        Call InstallModule
    SectionEnd
!macroend
!insertmacro AE_SLOT 0
!insertmacro AE_SLOT 1
!insertmacro AE_SLOT 2
!insertmacro AE_SLOT 3
!insertmacro AE_SLOT 4
!insertmacro AE_SLOT 5
!insertmacro AE_SLOT 6
!insertmacro AE_SLOT 7
!insertmacro AE_SLOT 8
!insertmacro AE_SLOT 9
!insertmacro AE_SLOT 10
!insertmacro AE_SLOT 11
!insertmacro AE_SLOT 12
!insertmacro AE_SLOT 13
!insertmacro AE_SLOT 14
!insertmacro AE_SLOT 15
!define SLOTS 16

Section /o "Another folder..." SecCustom
    Push "$INSTDIR"
    Call InstallModule
SectionEnd

Section "-Report" SecReport
    SetRegView 64
    Push $0
    Push $1
    Push $2
    ; What Add/Remove Programs shows: the folder in Program Files and each recorded copy.
    ${GetSize} "$ProgramDir" "/S=0K /G=0" $0 $1 $2
    ${GetSize} "$ProgramDir" "/M=ZarvoNeon.aex /S=0K /G=0" $1 $2 $2
    IntOp $1 $1 * $Copies
    IntOp $0 $0 + $1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
    ${If} $Installed == ""
        StrCpy $Installed "(no folder)$\r$\n"
    ${EndIf}
    ${If} ${Silent}
        Push "Zarvo Neon ${VERSION}: ZarvoNeon.aex installed in:$\r$\n$Installed"
        Push ${STD_OUTPUT}
        Call Console
        ${If} $Kept != ""
            Push "Left as they were, holding a newer copy:$\r$\n$Kept"
            Push ${STD_OUTPUT}
            Call Console
        ${EndIf}
        Push "Command line renderer: $ProgramDir\zarvo-neon.exe"
        Push ${STD_OUTPUT}
        Call Console
    ${EndIf}
    ${If} $Kept != ""
        StrCpy $Installed "$Installed$\r$\nLeft as they were, holding a newer copy:$\r$\n$Kept"
    ${EndIf}
    Pop $2
    Pop $1
    Pop $0
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !macro AE_DESCRIPTION N
        !insertmacro MUI_DESCRIPTION_TEXT ${SecAe${N}} "Into $AePath${N}\Zarvo"
    !macroend
    !insertmacro AE_DESCRIPTION 0
    !insertmacro AE_DESCRIPTION 1
    !insertmacro AE_DESCRIPTION 2
    !insertmacro AE_DESCRIPTION 3
    !insertmacro AE_DESCRIPTION 4
    !insertmacro AE_DESCRIPTION 5
    !insertmacro AE_DESCRIPTION 6
    !insertmacro AE_DESCRIPTION 7
    !insertmacro AE_DESCRIPTION 8
    !insertmacro AE_DESCRIPTION 9
    !insertmacro AE_DESCRIPTION 10
    !insertmacro AE_DESCRIPTION 11
    !insertmacro AE_DESCRIPTION 12
    !insertmacro AE_DESCRIPTION 13
    !insertmacro AE_DESCRIPTION 14
    !insertmacro AE_DESCRIPTION 15
    !insertmacro MUI_DESCRIPTION_TEXT ${SecCustom} "Into a folder you choose on the next page"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

;--------------------------------------------------------------------------------------------------
; Start-up: the After Effects versions in the registry's 64-bit view whose plug-in folder exists.

; Shows slot $Found for version $1 with plug-in folder $2.
Function AddVersion
    Push $0
    ${If} $Found >= ${SLOTS}
        DetailPrint "More than ${SLOTS} After Effects versions: $2 is not offered"
    ${Else}
        !macro AE_STORE N
            ${If} $Found = ${N}
                StrCpy $AePath${N} $2
            ${EndIf}
        !macroend
        !insertmacro AE_STORE 0
        !insertmacro AE_STORE 1
        !insertmacro AE_STORE 2
        !insertmacro AE_STORE 3
        !insertmacro AE_STORE 4
        !insertmacro AE_STORE 5
        !insertmacro AE_STORE 6
        !insertmacro AE_STORE 7
        !insertmacro AE_STORE 8
        !insertmacro AE_STORE 9
        !insertmacro AE_STORE 10
        !insertmacro AE_STORE 11
        !insertmacro AE_STORE 12
        !insertmacro AE_STORE 13
        !insertmacro AE_STORE 14
        !insertmacro AE_STORE 15
        IntOp $0 ${SecAe0} + $Found
        SectionSetText $0 "After Effects $1"
        SectionSetFlags $0 ${SF_SELECTED}
        IntOp $Found $Found + 1
    ${EndIf}
    Pop $0
FunctionEnd

Function .onInit
    SetRegView 64
    SetShellVarContext all
    StrCpy $ProgramDir "$PROGRAMFILES64\Zarvo Neon"
    StrCpy $Copies 0
    ; Without InstallDir, $INSTDIR is empty unless /D= set it.
    StrCpy $DirGiven 0
    ${If} $INSTDIR != ""
        StrCpy $DirGiven 1
    ${EndIf}

    StrCpy $Found 0
    StrCpy $0 0
    ${Do}
        EnumRegKey $1 HKLM "${AE_KEY}" $0
        ${If} $1 == ""
            ${Break}
        ${EndIf}
        IntOp $0 $0 + 1
        ReadRegStr $2 HKLM "${AE_KEY}\$1" "PluginInstallPath"
        StrCpy $3 $2 1 -1
        ${If} $3 == "\"
            StrCpy $2 $2 -1
        ${EndIf}
        ${If} $2 != ""
        ${AndIf} ${FileExists} "$2\*.*"
            Call AddVersion
        ${EndIf}
    ${Loop}

    ${If} $DirGiven = 1
        ${For} $0 ${SecAe0} ${SecAe15}
            SectionSetFlags $0 0
        ${Next}
        SectionSetFlags ${SecCustom} ${SF_SELECTED}
    ${Else}
        StrCpy $INSTDIR "$ProgramDir\Plug-in"
        ${If} $Found = 0
            ${If} ${Silent}
                Push "No After Effects found (no HKLM\${AE_KEY}\<version> with a PluginInstallPath that exists): give the folder for ZarvoNeon.aex with /D=<folder>."
                Push ${STD_ERROR}
                Call Console
                SetErrorLevel 2
                Abort
            ${EndIf}
            SectionSetFlags ${SecCustom} ${SF_SELECTED}
            StrCpy $DirNote "No After Effects was found in the registry. "
        ${EndIf}
    ${EndIf}
FunctionEnd

Function ComponentsLeave
    ${For} $0 ${SecAe0} ${SecCustom}
        ${If} ${SectionIsSelected} $0
            Return
        ${EndIf}
    ${Next}
    MessageBox MB_OK|MB_ICONEXCLAMATION "Choose at least one folder for the effect module."
    Abort
FunctionEnd

Function DirectoryPre
    ${IfNot} ${SectionIsSelected} ${SecCustom}
        Abort
    ${EndIf}
FunctionEnd

;--------------------------------------------------------------------------------------------------
; The uninstaller, run from $INSTDIR (the folder in Program Files): the recorded copies unless one
; has since been replaced by a newer one, the recorded folders when left empty, then its own files
; and its registry key. What cannot be removed stays recorded, with the uninstaller, for another
; try.

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section "Uninstall"
    SetRegView 64
    StrCpy $Failures 0
    ClearErrors
    FileOpen $1 "$INSTDIR\${RECORD}.left" w
    ${If} ${Errors}
        Push "Cannot write $INSTDIR\${RECORD}.left."
        Call un.Fail
    ${EndIf}
    ; Files first, then the folders they leave empty.
    ${For} $3 1 2
        ClearErrors
        FileOpen $2 "$INSTDIR\${RECORD}" r
        ${If} ${Errors}
            ${Break}
        ${EndIf}
        ${Do}
            ClearErrors
            FileReadUTF16LE $2 $R0
            ${If} ${Errors}
                ${Break}
            ${EndIf}
            Call un.TrimLine
            StrCpy $0 $R0 7
            StrCpy $R2 $R0 "" 7
            ${If} $3 = 1
            ${AndIf} $0 == "module|"
            ${AndIf} ${FileExists} "$R2"
                Push "$R2"
                Call un.IsNewer
                Pop $0
                ${If} $0 == 1
                    DetailPrint "Left the newer copy $R2"
                ${Else}
                    ClearErrors
                    Delete "$R2"
                    ${If} ${Errors}
                        DetailPrint "Cannot remove $R2: is After Effects running?"
                        FileWriteUTF16LE $1 "$R0$\r$\n"
                        IntOp $Failures $Failures + 1
                    ${Else}
                        DetailPrint "Removed $R2"
                    ${EndIf}
                ${EndIf}
            ${ElseIf} $3 = 2
            ${AndIf} $0 == "folder|"
                RMDir "$R2"
                ${If} ${FileExists} "$R2\*.*"
                ${AndIf} $Failures > 0
                    FileWriteUTF16LE $1 "$R0$\r$\n"
                ${EndIf}
            ${EndIf}
        ${Loop}
        FileClose $2
    ${Next}
    FileClose $1

    ${If} $Failures > 0
        Delete "$INSTDIR\${RECORD}"
        Rename "$INSTDIR\${RECORD}.left" "$INSTDIR\${RECORD}"
        Push "$Failures module copies could not be removed (see above): close After Effects and run the uninstaller again."
        Call un.Fail
    ${EndIf}

    ClearErrors
    Delete "$INSTDIR\zarvo-neon.exe"
    Delete "$INSTDIR\ZarvoNeon.aex"
    ${If} ${Errors}
        Delete "$INSTDIR\${RECORD}.left"
        Push "Cannot remove the files in $INSTDIR: is zarvo-neon.exe running?"
        Call un.Fail
    ${EndIf}
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\${RECORD}.left"
    Delete "$INSTDIR\${RECORD}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ${If} ${Silent}
        Push "Zarvo Neon ${VERSION} removed."
        Push ${STD_OUTPUT}
        Call un.Console
    ${EndIf}
SectionEnd
