; Plendra's setup program, PlendraSetup.exe.
;
; Built by CMake (installer/CMakeLists.txt) with:
;   makensis -INPUTCHARSET UTF8 -DBITS=64|32 -DVERSION=x.y.z -DOUTFILE=... -DPLENDRA_EXE=...
;            -DKORVEL_DLL=... -DHELP_CHM=... -DGRANT_EXE=... -DDATA_DIR=... [-DWITH_SCR] plendra.nsi
;
; BITS decides the installer's own bitness and the folder: korvel.dll is an
; in-process server, so Plendra.exe, korvel.dll and the regsvr32 that
; registers it have the same bitness. 64: "Program Files" and the 64-bit
; System32\regsvr32.exe; 32: "Program Files" on 32-bit Windows, "Program
; Files (x86)" on 64-bit Windows, where a 32-bit installer's $SYSDIR is
; SysWOW64 and registry redirection keeps the 32-bit registration apart from
; the 64-bit one.
;
; Switches: /S silent; /D=folder (last, unquoted) the folder.
;
; A user without administrator rights may not write in Program Files, so the
; setup opens the two settings files (and only them) to the local Users group,
; named by its identifier S-1-5-32-545 so that the group's localised name does
; not matter. Exit code 3: installed, but that did not succeed.
; Uninstall.exe /S keeps the settings the user changed; /REMOVESETTINGS
; removes them as the check box "設定ファイルも削除する" does.

Unicode true
!if ${BITS} == 64
  Target amd64-unicode
!else if ${BITS} == 32
  Target x86-unicode
!else
  !error "BITS must be 64 or 32"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define PRODUCT "Plendra"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Plendra"
; Under the uninstall key: the size and time a settings file had when this
; setup wrote it, so that the uninstaller can tell the user's edits apart.
!define STAMP_PREFIX "PlendraStamp "

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
!if ${BITS} == 64
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" ""

; ${out} := "size/high/low" of the file (its size and its last-write time),
; or "" when it does not exist. Uses $R7 to $R9.
!macro FileStamp path out
  ClearErrors
  GetFileTime "${path}" $R8 $R9
  ${If} ${Errors}
    StrCpy ${out} ""
  ${Else}
    FileOpen $R7 "${path}" r
    FileSeek $R7 0 END ${out}
    FileClose $R7
    StrCpy ${out} "${out}/$R8/$R9"
  ${EndIf}
!macroend

; A settings file is written when it is missing or still the copy an earlier
; setup wrote; a copy the user changed is kept, and then belongs to the user
; (no stamp, so the uninstaller keeps it too). File keeps the time the file
; has in the build, so the stamp of an untouched copy stays the same.
!macro InstallSettingsFile name
  ReadRegStr $R1 HKLM "${UNINST_KEY}" "${STAMP_PREFIX}${name}"
  !insertmacro FileStamp "$INSTDIR\${name}" $R2
  ${If} $R2 == ""
  ${OrIf} $R2 == $R1
    File "/oname=${name}" "${DATA_DIR}/${name}"
    !insertmacro FileStamp "$INSTDIR\${name}" $R2
    WriteRegStr HKLM "${UNINST_KEY}" "${STAMP_PREFIX}${name}" $R2
  ${Else}
    DetailPrint "変更された ${name} はそのまま残します"
    DeleteRegValue HKLM "${UNINST_KEY}" "${STAMP_PREFIX}${name}"
  ${EndIf}
!macroend

; Removes a settings file unless the user changed it (or always, with
; $R0 = 1: "設定ファイルも削除する" or /REMOVESETTINGS).
!macro RemoveSettingsFile name
  ReadRegStr $R1 HKLM "${UNINST_KEY}" "${STAMP_PREFIX}${name}"
  !insertmacro FileStamp "$INSTDIR\${name}" $R2
  ${If} $R0 == 1
  ${OrIf} $R2 == $R1
    Delete "$INSTDIR\${name}"
  ${ElseIf} $R2 != ""
    DetailPrint "変更された ${name} は残します"
  ${EndIf}
!macroend

Section "Plendra" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "/oname=Plendra.exe" "${PLENDRA_EXE}"
  File "/oname=korvel.dll" "${KORVEL_DLL}"
  File "/oname=Plendra_Help.chm" "${HELP_CHM}"
!ifdef WITH_SCR
  File "/oname=Plendra1.scr" "${DATA_DIR}/Plendra1.scr"
!endif
  !insertmacro InstallSettingsFile "Keitou.txt"
  !insertmacro InstallSettingsFile "plendra.ini"

  ; From the setup's own temporary folder: nothing of it stays installed.
  InitPluginsDir
  File "/oname=$PLUGINSDIR\grant_users.exe" "${GRANT_EXE}"
  ExecWait '"$PLUGINSDIR\grant_users.exe" "$INSTDIR\Keitou.txt" "$INSTDIR\plendra.ini"' $0
  ${If} $0 != 0
    MessageBox MB_ICONEXCLAMATION|MB_OK "Keitou.txt と plendra.ini を、管理者でない使う人が書き込めるようにできませんでした。$\r$\nPlendra の設定は、管理者の権限で実行したときだけ保存されます。" /SD IDOK
    SetErrorLevel 3
  ${EndIf}

  ; regsvr32 in a process of its own: korvel.dll, once loaded, stays in the
  ; process that loaded it (its C++ runtime pins it), so the uninstaller
  ; could not delete it after UnRegDLL.
  ExecWait '"$SYSDIR\regsvr32.exe" /s "$INSTDIR\korvel.dll"' $0
  ${If} $0 != 0
    MessageBox MB_ICONEXCLAMATION|MB_OK "korvel.dll を登録できませんでした。" /SD IDOK
    SetErrorLevel 2
  ${EndIf}

  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Plendra.lnk" "$INSTDIR\Plendra.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Plendra ヘルプ.lnk" "$INSTDIR\Plendra_Help.chm"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Plendra.exe"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "un.Plendra" SecUnMain
  SectionIn RO
  SetShellVarContext all
  ExecWait '"$SYSDIR\regsvr32.exe" /s /u "$INSTDIR\korvel.dll"' $0
  ${If} $0 != 0
    DetailPrint "korvel.dll の登録を解除できませんでした"
  ${EndIf}
  Delete "$INSTDIR\korvel.dll"
  Delete "$INSTDIR\Plendra.exe"
  Delete "$INSTDIR\Plendra_Help.chm"
  Delete "$INSTDIR\Plendra1.scr"
  ; What Plendra made in its folder: the parts-table block, which AutoCAD
  ; wrote at the first pick (and its backup), and the scratch copies a
  ; settings save ended before renaming would leave.
  Delete "$INSTDIR\Plendra1.dwg"
  Delete "$INSTDIR\Plendra1.bak"
  Delete "$INSTDIR\plendra.ini.~*.tmp"
  Delete "$INSTDIR\Keitou.txt.~*.tmp"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMPROGRAMS\${PRODUCT}\Plendra.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Plendra ヘルプ.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
SectionEnd

Section /o "un.設定ファイルも削除する" SecUnSettings
SectionEnd

; Runs last: the settings files, the uninstall entry and the folder, which
; stays when it still holds a file of the user's.
Section "-un.Finish"
  StrCpy $R0 0
  ${If} ${SectionIsSelected} ${SecUnSettings}
    StrCpy $R0 1
  ${EndIf}
  !insertmacro RemoveSettingsFile "Keitou.txt"
  !insertmacro RemoveSettingsFile "plendra.ini"
  DeleteRegKey HKLM "${UNINST_KEY}"
  RMDir "$INSTDIR"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUnMain} "Plendra のプログラム、ヘルプ、スタートメニューの項目を削除し、korvel.dll の登録を解除します。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUnSettings} "使用中に変更した Keitou.txt と plendra.ini も削除します。"
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

; Nothing is removed while Plendra runs (its single-instance mutex says so)
; or while another program holds korvel.dll (AutoCAD's VBA, a script host):
; the DLL could not be deleted and the folder would stay half removed.
Function un.onInit
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Plendra.SingleInstance") p .r1'
  ${If} $1 P<> 0
    System::Call 'kernel32::CloseHandle(p r1)'
    MessageBox MB_ICONSTOP|MB_OK "Plendra が起動しています。Plendra を終了してから、もう一度アンインストールしてください。" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\korvel.dll"
    ClearErrors
    FileOpen $1 "$INSTDIR\korvel.dll" a
    ${If} ${Errors}
      MessageBox MB_ICONSTOP|MB_OK "korvel.dll をほかのプログラム (AutoCAD の VBA、スクリプトなど) が使っています。そのプログラムを終了してから、もう一度アンインストールしてください。" /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
    FileClose $1
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecUnSettings}
  ${EndIf}
FunctionEnd
