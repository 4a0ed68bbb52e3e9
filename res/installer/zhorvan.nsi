; Zhorvan's installer: installation for all users or for the current user,
; the program's interface language, the Start-menu and start-at-logon
; shortcuts, and an uninstaller registered in Add/Remove Programs.
; Built by res/installer/package.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=<x.y> -DSTAGE=<folder> -DFILES=<files.nsh>
;            -DUNFILES=<unfiles.nsh> -DOUTFILE=<setup.exe> [-DICON=<icon.ico>]
;            [-DCOMPRESSOR=zlib] zhorvan.nsi
; FILES holds a File command per installed file, UNFILES the matching Delete.
;
; Command line of the installer (all optional; /S installs silently):
;   /AllUsers | /CurrentUser  for every user of the computer into Program Files
;                             (the default for an administrator) or for the
;                             current user only (his Programs folder)
;   /LANG=n                   interface language: 0 English, 1 simplified Chinese,
;                             2 traditional Chinese, 3 German (or the Windows
;                             language id 1033, 2052, 1028, 1031); default: the
;                             system's language, as the program chooses it
;   /STARTUP=0|1              start at logon; default: as the last installation
;                             left it, else 0
;   /D=folder                 installation folder; last, without quotes
; Command line of the uninstaller: /S silently, /REMOVESETTINGS also deletes the
; settings file and the input histories (kept by default).

Unicode true
Target amd64-unicode
!ifdef COMPRESSOR
  SetCompressor ${COMPRESSOR}
!else
  SetCompressor /SOLID lzma
!endif
ManifestDPIAware true

!define PRODUCT "Zhorvan"
!define EXE "Zhorvan.exe"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define TOOLBAR_CLASS "Torvi_Tesmarel_MAINPANE"
!define IDM_SHUTDOWN 57768
!define SETTINGS_NAME "Zhorvan.INI"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} Setup"
!pragma warning disable 9100 ; no LegalCopyright

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINST_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINST_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

; The language dialog chooses the installer's language and the program's.
!define MUI_LANGDLL_ALWAYSSHOW
!define MUI_LANGDLL_ALLLANGUAGES
!define MUI_LANGDLL_WINDOWTITLE "${PRODUCT} ${VERSION}"
!define MUI_LANGDLL_INFO "Language of Zhorvan / 界面语言 / 介面語言 / Sprache:"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "TradChinese"
!insertmacro MUI_LANGUAGE "German"
!include /CHARSET=UTF8 "${__FILEDIR__}/lang/English.nsh"
!include /CHARSET=UTF8 "${__FILEDIR__}/lang/SimpChinese.nsh"
!include /CHARSET=UTF8 "${__FILEDIR__}/lang/TradChinese.nsh"
!include /CHARSET=UTF8 "${__FILEDIR__}/lang/German.nsh"

Var UiLanguage     ; the program's language index of $LANGUAGE
Var CmdInstDir     ; the folder of /D=, which MultiUser's start would replace
Var SettingsDir    ; the program's settings folder (common application data)

; Ends a running Zhorvan with its own Shutdown command, so that it saves its
; settings and its files can be replaced; asks to retry when it does not end.
!macro CLOSE_RUNNING_PROGRAM un
Function ${un}CloseRunningProgram
  ${Do}
    FindWindow $0 "${TOOLBAR_CLASS}" "${PRODUCT}"
    ${If} $0 == 0
      Return
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'  ; SYNCHRONIZE
    SendMessage $0 ${WM_COMMAND} ${IDM_SHUTDOWN} 0 /TIMEOUT=5000
    ${If} $2 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 15000) i .r3'
      System::Call 'kernel32::CloseHandle(p r2)'
      ${If} $3 == 0
        Return
      ${EndIf}
    ${Else}
      ; Without the process, its window going away has to do.
      ${For} $3 1 50
        Sleep 200
        FindWindow $0 "${TOOLBAR_CLASS}" "${PRODUCT}"
        ${If} $0 == 0
          Sleep 500
          Return
        ${EndIf}
      ${Next}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ProgramRunning)" /SD IDCANCEL IDRETRY +2
    Abort
  ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_PROGRAM ""
!insertmacro CLOSE_RUNNING_PROGRAM "un."

; $SettingsDir: the folder of the program's settings file, the per-machine
; application data folder's "Zhorvan", whatever the installation mode.
!macro SETTINGS_FOLDER un
Function ${un}SettingsFolder
  SetShellVarContext all
  StrCpy $SettingsDir "$APPDATA\${PRODUCT}"
  ${If} $MultiUser.InstallMode == "CurrentUser"
    SetShellVarContext current
  ${EndIf}
FunctionEnd
!macroend
!insertmacro SETTINGS_FOLDER ""
!insertmacro SETTINGS_FOLDER "un."

Section "!$(SecProgram)" SecProgram
  SectionIn RO
  Call CloseRunningProgram
  SetOutPath "$INSTDIR"
  !include "${FILES}"

  ; The program reads this language once, when it creates its settings file.
  ${If} $LANGUAGE == ${LANG_SIMPCHINESE}
    StrCpy $UiLanguage 1
  ${ElseIf} $LANGUAGE == ${LANG_TRADCHINESE}
    StrCpy $UiLanguage 2
  ${ElseIf} $LANGUAGE == ${LANG_GERMAN}
    StrCpy $UiLanguage 3
  ${Else}
    StrCpy $UiLanguage 0
  ${EndIf}
  ; Appended, not rewritten: the file's GBK texts stay byte for byte.
  FileOpen $0 "$INSTDIR\TesmarelUI.ini" a
  FileSeek $0 0 END
  FileWrite $0 "$\r$\n[Config]$\r$\nUILanguage=$UiLanguage$\r$\n"
  FileClose $0

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$\"$INSTDIR\${EXE}$\",0"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\" /$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /$MultiUser.InstallMode /S"
  WriteRegStr SHCTX "${UNINST_KEY}" "Language" "$LANGUAGE"
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(SecStartMenu)" SecStartMenu
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 SW_SHOWNORMAL "" "${PRODUCT}"
SectionEnd

Section /o "$(SecStartup)" SecStartup
SectionEnd

; Start at logon: the shortcut the program's System Preferences make (the
; current user's Startup folder, "Zhorvan.lnk", description "Zhorvan", icon 0,
; working folder the program's), and its setting StartupAtBoot.
Section "-Apply"
  ${IfNot} ${SectionIsSelected} ${SecStartMenu}
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ${EndIf}
  StrCpy $0 0
  ${If} ${SectionIsSelected} ${SecStartup}
    StrCpy $0 1
  ${EndIf}
  SetShellVarContext current
  ${If} $0 == 1
    SetOutPath "$INSTDIR"
    CreateShortCut "$SMSTARTUP\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 SW_SHOWNORMAL "" "${PRODUCT}"
  ${Else}
    Delete "$SMSTARTUP\${PRODUCT}.lnk"
  ${EndIf}
  Call SettingsFolder
  ${If} ${FileExists} "$SettingsDir\${SETTINGS_NAME}"
    WriteINIStr "$SettingsDir\${SETTINGS_NAME}" "Config" "StartupAtBoot" $0
  ${ElseIf} $0 == 1
    ; A new settings file as the program would make it, with the setting.
    CreateDirectory "$SettingsDir"
    FileOpen $1 "$SettingsDir\${SETTINGS_NAME}" w
    FileWrite $1 ";Init file for ${PRODUCT}$\r$\n$\r$\n[Config]$\r$\nUILanguage=$UiLanguage$\r$\nStartupAtBoot=1$\r$\n"
    FileClose $1
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} $(DescProgram)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStartMenu} $(DescStartMenu)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStartup} $(DescStartup)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Quits with exit code 2 on a bad command line.
!macro BAD_OPTION text
  MessageBox MB_OK|MB_ICONSTOP "${text}" /SD IDOK
  SetErrorLevel 2
  Quit
!macroend

Function .onInit
  StrCpy $CmdInstDir $INSTDIR

  ; The system's language, mapped as the program maps it.
  System::Call 'kernel32::GetSystemDefaultLangID() i .r0'
  IntOp $1 $0 & 0x3FF
  IntOp $2 $0 >> 10
  ${If} $1 == 4
    ${If} $2 == 2
    ${OrIf} $2 == 4
      StrCpy $LANGUAGE ${LANG_SIMPCHINESE}
    ${Else}
      StrCpy $LANGUAGE ${LANG_TRADCHINESE}
    ${EndIf}
  ${ElseIf} $1 == 7
    StrCpy $LANGUAGE ${LANG_GERMAN}
  ${Else}
    StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${EndIf}

  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/LANG=" $R1
  ${IfNot} ${Errors}
    ${If} $R1 == "0"
    ${OrIf} $R1 == ${LANG_ENGLISH}
      StrCpy $LANGUAGE ${LANG_ENGLISH}
    ${ElseIf} $R1 == "1"
    ${OrIf} $R1 == ${LANG_SIMPCHINESE}
      StrCpy $LANGUAGE ${LANG_SIMPCHINESE}
    ${ElseIf} $R1 == "2"
    ${OrIf} $R1 == ${LANG_TRADCHINESE}
      StrCpy $LANGUAGE ${LANG_TRADCHINESE}
    ${ElseIf} $R1 == "3"
    ${OrIf} $R1 == ${LANG_GERMAN}
      StrCpy $LANGUAGE ${LANG_GERMAN}
    ${Else}
      !insertmacro BAD_OPTION "/LANG=$R1: the language is 0, 1, 2 or 3."
    ${EndIf}
  ${EndIf}
  !insertmacro MUI_LANGDLL_DISPLAY

  !insertmacro MULTIUSER_INIT
  ${If} $CmdInstDir != ""
    StrCpy $INSTDIR $CmdInstDir
  ${EndIf}

  ; Start at logon as the last installation or the preferences left it,
  ; unless the command line says.
  SetShellVarContext current
  ${If} ${FileExists} "$SMSTARTUP\${PRODUCT}.lnk"
    !insertmacro SelectSection ${SecStartup}
  ${EndIf}
  ${If} $MultiUser.InstallMode == "AllUsers"
    SetShellVarContext all
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/STARTUP=" $R1
  ${IfNot} ${Errors}
    ${If} $R1 == "1"
      !insertmacro SelectSection ${SecStartup}
    ${ElseIf} $R1 == "0"
      !insertmacro UnselectSection ${SecStartup}
    ${Else}
      !insertmacro BAD_OPTION "/STARTUP=$R1: 0 or 1."
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "un.$(UnSecProgram)" UnSecProgram
  SectionIn RO
  Call un.CloseRunningProgram
  !include "${UNFILES}"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  SetShellVarContext current
  Delete "$SMSTARTUP\${PRODUCT}.lnk"
  Call un.SettingsFolder
  ; Without the shortcut the program does not start at logon; its setting says so.
  ${If} ${FileExists} "$SettingsDir\${SETTINGS_NAME}"
    ReadINIStr $0 "$SettingsDir\${SETTINGS_NAME}" "Config" "StartupAtBoot"
    ${If} $0 == "1"
      WriteINIStr "$SettingsDir\${SETTINGS_NAME}" "Config" "StartupAtBoot" "0"
    ${EndIf}
  ${EndIf}
  DeleteRegKey SHCTX "${UNINST_KEY}"
SectionEnd

Section /o "un.$(UnSecSettings)" UnSecSettings
  Call un.SettingsFolder
  Delete "$SettingsDir\${SETTINGS_NAME}"
  Delete "$SettingsDir\combomru*.bin"
  RMDir "$SettingsDir"
  ; Settings beside the program (when the settings folder was unusable), the
  ; combo-box histories, and the file dialogs' folder histories.
  Delete "$INSTDIR\${SETTINGS_NAME}"
  Delete "$INSTDIR\combomru*.bin"
  Delete "$WINDIR\${SETTINGS_NAME}"
SectionEnd

Section "-un.Folder"
  RMDir "$INSTDIR"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecSettings} $(UnDescSettings)
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
  ; Without /AllUsers or /CurrentUser: the mode of the installation in this folder.
  ${un.GetParameters} $R0
  ${UnStrStr} $R1 $R0 "/AllUsers"
  ${UnStrStr} $R2 $R0 "/CurrentUser"
  ${If} $R1 == ""
  ${AndIf} $R2 == ""
    ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
    ReadRegStr $1 HKLM "${UNINST_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
    ${AndIf} $1 != $INSTDIR
      Call un.MultiUser.InstallMode.CurrentUser
    ${ElseIf} $1 == $INSTDIR
    ${AndIf} $MultiUser.Privileges == "Admin"
      Call un.MultiUser.InstallMode.AllUsers
    ${EndIf}
  ${EndIf}
  ReadRegStr $0 SHCTX "${UNINST_KEY}" "Language"
  ${If} $0 != ""
    StrCpy $LANGUAGE $0
  ${EndIf}
  ClearErrors
  ${un.GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecSettings}
  ${EndIf}
FunctionEnd
