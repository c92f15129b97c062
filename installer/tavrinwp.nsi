; The installer of Tavrin Wallpaper, made by the Windows build beside the release
; package (cmake/Release.cmake):
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.061 -DVERSION_NUMBERS=1.61.0.0 -DSTAGE=<the package's folder>
;            -DICON=resources/tavrinwp.ico -DOUTFILE=tavrinwp-1.061-setup.exe installer/tavrinwp.nsi
;
; For the current user only, without administrator rights: the program, the sepia
; plugin and the guides go to %LOCALAPPDATA%\Programs\Tavrin Wallpaper; a Start-menu folder
; "Tavrin Wallpaper" gets the program's shortcut, its "next" and "previous" shortcuts and
; the guides'; the installed programs get an entry under HKCU.
; It speaks Russian or English: Windows' display language chooses, and the user may
; choose the other on the first page; the uninstaller speaks the language chosen. An
; English install names its shortcuts in English ("Next wallpaper", "Previous wallpaper",
; "Guide") and, where no config.ini exists yet, writes one with "language=en" and every
; other key at the value a first start without the file has. Installing
; over an earlier copy asks a running one to close, replaces the program's files and
; leaves everything else alone. The uninstaller removes what the installer put there,
; the start-with-Windows shortcut when it starts the removed program, and the entry;
; the settings and the wallpaper in Documents\Tavrin Wallpaper stay.
; /S installs and removes silently.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include WinMessages.nsh

!define PRODUCT "Tavrin Wallpaper"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TavrinWallpaper"
; Where the program itself reads the documents and Startup folders.
!define SHELL_FOLDERS "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
!define START_MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"
!define START_MENU_SHORTCUT "${START_MENU_FOLDER}\${PRODUCT}.lnk"
; The "next" and "previous" shortcuts are named in the language of the install.
!define NEXT_SHORTCUT "${START_MENU_FOLDER}\$(NextName).lnk"
!define PREVIOUS_SHORTCUT "${START_MENU_FOLDER}\$(PreviousName).lnk"
!define NEXT_SHORTCUT_RU "${START_MENU_FOLDER}\Следующие обои.lnk"
!define PREVIOUS_SHORTCUT_RU "${START_MENU_FOLDER}\Предыдущие обои.lnk"
!define NEXT_SHORTCUT_EN "${START_MENU_FOLDER}\Next wallpaper.lnk"
!define PREVIOUS_SHORTCUT_EN "${START_MENU_FOLDER}\Previous wallpaper.lnk"
!define GUIDE_RU_SHORTCUT "${START_MENU_FOLDER}\Руководство.lnk"
!define GUIDE_EN_SHORTCUT "${START_MENU_FOLDER}\Guide.lnk"
; Where version 1.061 and earlier put the program's shortcut, alone.
!define OLD_START_MENU_SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; The program's main window: its class and caption.
!define MAIN_WINDOW_CLASS "TForm1"
; A wallpaper change that waits for a plugin ends within 60 seconds before the program
; closes; the installer waits a little longer, in half seconds.
!define CLOSE_WAIT_STEPS 150

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

Var DataFolder  ; the user's Documents\Tavrin Wallpaper, as the program finds it
Var KeptNote    ; what the uninstaller's last page says of it

; ---- pages, in the language chosen ----
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The language chosen is kept for the uninstaller.
!define MUI_LANGDLL_REGISTRY_ROOT HKCU
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"
!define MUI_LANGDLL_WINDOWTITLE "${PRODUCT}"
!define MUI_LANGDLL_INFO "Язык / Language"
!define MUI_WELCOMEPAGE_TITLE "$(WelcomeTitle)"
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION RunProgram
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(UnConfirmText)"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$(UnFinishText)"
!insertmacro MUI_UNPAGE_FINISH

; English first: a Windows in neither language gets English.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"

LangString WelcomeTitle ${LANG_ENGLISH} "Installing ${PRODUCT} ${VERSION}"
LangString WelcomeTitle ${LANG_RUSSIAN} "Установка ${PRODUCT} ${VERSION}"
LangString WelcomeText ${LANG_ENGLISH} "This installs ${PRODUCT} ${VERSION} for you alone, without administrator rights.$\r$\n$\r$\nIf ${PRODUCT} is installed already, it is replaced with this version; your settings and the picture in the folder $\"Documents\${PRODUCT}$\" stay. A running copy of the program is closed for you.$\r$\n$\r$\n$_CLICK"
LangString WelcomeText ${LANG_RUSSIAN} "Программа установит ${PRODUCT} ${VERSION} для вас одного, без прав администратора.$\r$\n$\r$\nЕсли ${PRODUCT} уже установлена, она будет заменена новой; ваши настройки и картинка в папке «Документы\${PRODUCT}» останутся. Запущенную программу установщик закроет сам.$\r$\n$\r$\n$_CLICK"
LangString UnConfirmText ${LANG_ENGLISH} "${PRODUCT} will be removed from this folder. Your settings and the picture in the folder $\"$DataFolder$\" stay."
LangString UnConfirmText ${LANG_RUSSIAN} "${PRODUCT} будет удалена из этой папки. Ваши настройки и картинка в папке «$DataFolder» останутся."
LangString UnFinishText ${LANG_ENGLISH} "${PRODUCT} has been removed from your computer.$KeptNote"
LangString UnFinishText ${LANG_RUSSIAN} "${PRODUCT} удалена с компьютера.$KeptNote"
LangString KeptNoteText ${LANG_ENGLISH} "$\r$\n$\r$\nYour settings and the last desktop picture stay in the folder$\r$\n$\"$DataFolder$\"$\r$\n(config.ini and TavrinWP.bmp): installed again, the program finds them. If you no longer need them, delete that folder yourself."
LangString KeptNoteText ${LANG_RUSSIAN} "$\r$\n$\r$\nВаши настройки и последняя картинка рабочего стола остались в папке$\r$\n«$DataFolder»$\r$\n(config.ini и TavrinWP.bmp): установленная снова, программа их найдёт. Если они больше не нужны, удалите эту папку сами."
LangString Closing ${LANG_ENGLISH} "Closing the running ${PRODUCT}…"
LangString Closing ${LANG_RUSSIAN} "Закрываю запущенную ${PRODUCT}…"
LangString StillRunning ${LANG_ENGLISH} `${PRODUCT} is running and did not close.$\r$\n$\r$\nClose it ("Exit" in its "File" menu or in the menu of its icon by the clock) and press "Retry".$\r$\n"Cancel" stops here.`
LangString StillRunning ${LANG_RUSSIAN} "${PRODUCT} запущена и не закрылась.$\r$\n$\r$\nЗакройте её (пункт «Выход» в меню «Файл» или в меню её значка возле часов) и нажмите «Повтор».$\r$\n«Отмена» прерывает работу."
LangString StillRunningAbort ${LANG_ENGLISH} "${PRODUCT} is running: close it and start again."
LangString StillRunningAbort ${LANG_RUSSIAN} "${PRODUCT} запущена: закройте её и начните снова."
LangString NextName ${LANG_ENGLISH} "Next wallpaper"
LangString NextName ${LANG_RUSSIAN} "Следующие обои"
LangString PreviousName ${LANG_ENGLISH} "Previous wallpaper"
LangString PreviousName ${LANG_RUSSIAN} "Предыдущие обои"
LangString NextTip ${LANG_ENGLISH} "The next desktop picture"
LangString NextTip ${LANG_RUSSIAN} "Следующая картинка рабочего стола"
LangString PreviousTip ${LANG_ENGLISH} "The previous desktop picture"
LangString PreviousTip ${LANG_RUSSIAN} "Предыдущая картинка рабочего стола"
LangString RemovedShortcut ${LANG_ENGLISH} "Removed the start-with-Windows shortcut"
LangString RemovedShortcut ${LANG_RUSSIAN} "Удалён ярлык автозапуска"
LangString SettingsStay ${LANG_ENGLISH} "The settings and the picture stay in the folder"
LangString SettingsStay ${LANG_RUSSIAN} "Настройки и картинка остались в папке"
LangString WroteConfig ${LANG_ENGLISH} "Settings in English:"
LangString WroteConfig ${LANG_RUSSIAN} "Настройки:"

VIProductVersion "${VERSION_NUMBERS}"
VIFileVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileDescription" "Установка ${PRODUCT} ${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "LegalCopyright" "© команда ${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "© the ${PRODUCT} team"

; ---- shared by the installer and the uninstaller ----
!macro SHARED_FUNCTIONS un
; The program's data folder, Documents\Tavrin Wallpaper, where the program finds it -> $DataFolder.
Function ${un}FindDataFolder
  ReadRegStr $DataFolder HKCU "${SHELL_FOLDERS}" "Personal"
  ${If} $DataFolder == ""
    StrCpy $DataFolder "$DOCUMENTS"
  ${EndIf}
  StrCpy $DataFolder "$DataFolder\${PRODUCT}"
FunctionEnd

; A path on the stack -> its long form on the stack (itself when it does not exist).
Function ${un}LongPath
  Exch $0
  Push $1
  Push $2
  System::Call 'kernel32::GetLongPathNameW(w r0, w .r1, i ${NSIS_MAX_STRLEN}) i .r2'
  ${If} $2 > 0
  ${AndIf} $2 < ${NSIS_MAX_STRLEN}
    StrCpy $0 $1
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Asks every running copy of the program in $INSTDIR to close, as its "Выход" does
; (WM_CLOSE to its main window, also when it is hidden in the notification area), and
; waits for it to end. When the program file still cannot be written (a copy that did
; not close), says that the program must be closed: "Повтор" tries again, "Отмена" (and
; silent mode) stops with an error.
Function ${un}CloseRunningCopy
  Push "$INSTDIR\tavrinwp.exe"
  Call ${un}LongPath
  Pop $R4
  StrCpy $R0 0
  ${Do}
    FindWindow $R0 "${MAIN_WINDOW_CLASS}" "${PRODUCT}" "" $R0
    ${IfThen} $R0 == 0 ${|} ${ExitDo} ${|}
    ; Its program file; a process that cannot be asked counts as a copy of this one.
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R1)'
    System::Call 'kernel32::OpenProcess(i 0x00101000, i 0, i R1) p .R2'  ; SYNCHRONIZE, query
    StrCpy $R3 ""
    ${If} $R2 P<> 0
      System::Call 'kernel32::QueryFullProcessImageNameW(p R2, i 0, w .R3, *i ${NSIS_MAX_STRLEN}) i .R5'
      ${If} $R5 == 0
        StrCpy $R3 ""
      ${Else}
        Push $R3
        Call ${un}LongPath
        Pop $R3
      ${EndIf}
    ${EndIf}
    ${If} $R3 == ""
    ${OrIf} $R3 == $R4
      DetailPrint "$(Closing)"
      System::Call 'user32::PostMessageW(p R0, i ${WM_CLOSE}, p 0, p 0)'
      StrCpy $R5 0
      ${Do}
        ${If} $R2 P<> 0
          System::Call 'kernel32::WaitForSingleObject(p R2, i 500) i .R6'
        ${Else}
          Sleep 500
          System::Call 'user32::IsWindow(p R0) i .R6'
          ${If} $R6 == 0
            Sleep 1000  ; the window is gone; the process ends right after it
          ${EndIf}
        ${EndIf}
        ${IfThen} $R6 == 0 ${|} ${ExitDo} ${|}
        IntOp $R5 $R5 + 1
      ${LoopUntil} $R5 >= ${CLOSE_WAIT_STEPS}
      ${If} $R2 P<> 0
        System::Call 'kernel32::CloseHandle(p R2)'
      ${EndIf}
      ; Closed: look again from the first window. Still running: the check below asks.
      ${IfThen} $R6 != 0 ${|} ${ExitDo} ${|}
      StrCpy $R0 0
    ${ElseIf} $R2 P<> 0
      System::Call 'kernel32::CloseHandle(p R2)'
    ${EndIf}
  ${Loop}

  check:
  ${If} ${FileExists} "$INSTDIR\tavrinwp.exe"
    ClearErrors
    FileOpen $R0 "$INSTDIR\tavrinwp.exe" a
    ${If} ${Errors}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY check
      Abort "$(StillRunningAbort)"
    ${EndIf}
    FileClose $R0
  ${EndIf}
FunctionEnd
!macroend
!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

; ---- installing ----
Section "${PRODUCT}"
  SetShellVarContext current
  Call CloseRunningCopy

  SetOutPath "$INSTDIR"
  File "${STAGE}/tavrinwp.exe"
  File "${STAGE}/guide-ru.txt"
  File "${STAGE}/guide-en.txt"
  ; The plugin's own settings (settings.ini, written by its config.exe) are the user's
  ; and stay, as do plugins the user added.
  SetOutPath "$INSTDIR\plugins\sepia"
  File "${STAGE}/plugins/sepia/plugin.exe"
  File "${STAGE}/plugins/sepia/config.exe"
  File "${STAGE}/plugins/sepia/plugin.ini"

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; Started in its own folder, where it finds its plugins. (The working folder is $OUTDIR.)
  ; The word "next" or "previous" makes a running copy change the wallpaper (or starts one
  ; hidden that does); a key can be given to either shortcut in its properties.
  Delete "${OLD_START_MENU_SHORTCUT}"
  CreateDirectory "${START_MENU_FOLDER}"
  CreateShortcut "${START_MENU_SHORTCUT}" "$INSTDIR\tavrinwp.exe" "" "$INSTDIR\tavrinwp.exe" 0 SW_SHOWNORMAL \
                 "" "${PRODUCT}"
  ; An install in the other language before: its names go.
  Delete "${NEXT_SHORTCUT_RU}"
  Delete "${PREVIOUS_SHORTCUT_RU}"
  Delete "${NEXT_SHORTCUT_EN}"
  Delete "${PREVIOUS_SHORTCUT_EN}"
  Delete "${GUIDE_RU_SHORTCUT}"
  CreateShortcut "${NEXT_SHORTCUT}" "$INSTDIR\tavrinwp.exe" "next" "$INSTDIR\tavrinwp.exe" 0 SW_SHOWNORMAL \
                 "" "$(NextTip)"
  CreateShortcut "${PREVIOUS_SHORTCUT}" "$INSTDIR\tavrinwp.exe" "previous" "$INSTDIR\tavrinwp.exe" 0 \
                 SW_SHOWNORMAL "" "$(PreviousTip)"
  ; In Russian both guides, in English the English one.
  ${If} $LANGUAGE == ${LANG_RUSSIAN}
    CreateShortcut "${GUIDE_RU_SHORTCUT}" "$INSTDIR\guide-ru.txt" "" "" 0 SW_SHOWNORMAL "" "Руководство ${PRODUCT}"
  ${EndIf}
  CreateShortcut "${GUIDE_EN_SHORTCUT}" "$INSTDIR\guide-en.txt" "" "" 0 SW_SHOWNORMAL "" "${PRODUCT}: the user's guide"
  ${If} $LANGUAGE == ${LANG_ENGLISH}
    Call WriteEnglishSettings
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tavrinwp.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  ; The uninstaller speaks the language of the install (MUI_UNGETLANGUAGE reads it), also after a silent one.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallerLanguage" $LANGUAGE
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The language page (not in silent mode), preset to Windows' display language.
Function .onInit
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

; An English install's settings: a new config.ini, never one that exists, holding
; "language=en" and every other key at the value a first start without the file has
; (no folder, no plugin, the count 0, black), so that the first start behaves as
; without a file, only in English. Written whole beside it and moved into place.
Function WriteEnglishSettings
  Call FindDataFolder
  ${If} ${FileExists} "$DataFolder\config.ini"
    Return
  ${EndIf}
  CreateDirectory "$DataFolder"
  ClearErrors
  FileOpen $0 "$DataFolder\config.ini.tmp" w
  ${If} ${Errors}
    Return
  ${EndIf}
  FileWrite $0 "[options]$\r$\nwallpaper_directory=$\r$\nplugin_directory=$\r$\nstartup=0$\r$\nchangestart=0$\r$\n"
  FileWrite $0 "wptimer=0$\r$\nnwptimer=0$\r$\nWpTimerUnit=0$\r$\nWpTimerDay=0$\r$\nnumber=0$\r$\nR=0$\r$\nG=0$\r$\nB=0$\r$\n"
  FileWrite $0 "language=en$\r$\n"
  FileClose $0
  Rename "$DataFolder\config.ini.tmp" "$DataFolder\config.ini"
  DetailPrint "$(WroteConfig) $DataFolder\config.ini"
FunctionEnd

; The finish page's "run" box: started in its own folder, as the shortcut starts it.
Function RunProgram
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\tavrinwp.exe"'
FunctionEnd

; ---- removing ----
Function un.onInit
  SetShellVarContext current
  ; The language the install chose.
  !insertmacro MUI_UNGETLANGUAGE
  Call un.FindDataFolder
  StrCpy $KeptNote ""
  ${If} ${FileExists} "$DataFolder\*.*"
    StrCpy $KeptNote "$(KeptNoteText)"
  ${EndIf}
FunctionEnd

; A path on the stack -> the same with "\" for every "/" (the program writes the
; start-with-Windows shortcut's target as <folder>/tavrinwp.exe).
Function un.Backslashes
  Exch $0
  Push $1
  Push $2
  StrCpy $1 ""
  ${Do}
    StrCpy $2 $0 1
    ${IfThen} $2 == "" ${|} ${ExitDo} ${|}
    ${IfThen} $2 == "/" ${|} StrCpy $2 "\" ${|}
    StrCpy $1 "$1$2"
    StrCpy $0 $0 "" 1
  ${Loop}
  StrCpy $0 $1
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Deletes TavrinWP.lnk in the folder on the stack when it starts the program being
; removed ($R4, the long path of $INSTDIR\tavrinwp.exe); one that starts another copy
; stays. Called while the program file still exists, so that short names resolve.
Function un.RemoveStartupShortcutIn
  Exch $R0
  StrCpy $R1 "$R0\TavrinWP.lnk"
  StrCpy $R2 ""
  ${If} ${FileExists} $R1
    ; IShellLinkW through IPersistFile::Load, then IShellLinkW::GetPath.
    System::Call 'ole32::CoCreateInstance(g "{00021401-0000-0000-C000-000000000046}", p 0, i 1, g "{000214F9-0000-0000-C000-000000000046}", *p .R5) i .R6'
    ${If} $R6 == 0
      System::Call '$R5->0(g "{0000010B-0000-0000-C000-000000000046}", *p .R7) i .R6'
      ${If} $R6 == 0
        System::Call '$R7->5(w R1, i 0) i .R6'
        ${If} $R6 == 0
          System::Call '$R5->3(w .R2, i ${NSIS_MAX_STRLEN}, p 0, i 0) i .R6'
          ${IfThen} $R6 != 0 ${|} StrCpy $R2 "" ${|}
        ${EndIf}
        System::Call '$R7->2()'
      ${EndIf}
      System::Call '$R5->2()'
    ${EndIf}
    ${If} $R2 != ""
      Push $R2
      Call un.Backslashes
      Call un.LongPath
      Pop $R2
      ${If} $R2 == $R4
        Delete $R1
        DetailPrint "$(RemovedShortcut) $R1"
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $R0
FunctionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.CloseRunningCopy

  ; The start-with-Windows shortcut, in the Startup folder the program writes it to
  ; (and in the system's, should the two differ).
  Push "$INSTDIR\tavrinwp.exe"
  Call un.LongPath
  Pop $R4
  ReadRegStr $R8 HKCU "${SHELL_FOLDERS}" "StartUp"
  ${If} $R8 != ""
    Push $R8
    Call un.RemoveStartupShortcutIn
  ${EndIf}
  ${If} $R8 != $SMSTARTUP
    Push $SMSTARTUP
    Call un.RemoveStartupShortcutIn
  ${EndIf}

  Delete "$INSTDIR\tavrinwp.exe"
  Delete "$INSTDIR\guide-ru.txt"
  Delete "$INSTDIR\guide-en.txt"
  Delete "$INSTDIR\plugins\sepia\plugin.exe"
  Delete "$INSTDIR\plugins\sepia\config.exe"
  Delete "$INSTDIR\plugins\sepia\plugin.ini"
  Delete "$INSTDIR\plugins\sepia\settings.ini"
  RMDir "$INSTDIR\plugins\sepia"
  ; Plugins the user added stay, and with them their folders.
  RMDir "$INSTDIR\plugins"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "${START_MENU_SHORTCUT}"
  Delete "${NEXT_SHORTCUT_RU}"
  Delete "${PREVIOUS_SHORTCUT_RU}"
  Delete "${NEXT_SHORTCUT_EN}"
  Delete "${PREVIOUS_SHORTCUT_EN}"
  Delete "${GUIDE_RU_SHORTCUT}"
  Delete "${GUIDE_EN_SHORTCUT}"
  Delete "${OLD_START_MENU_SHORTCUT}"
  RMDir "${START_MENU_FOLDER}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DetailPrint "$(SettingsStay) $DataFolder"
SectionEnd
