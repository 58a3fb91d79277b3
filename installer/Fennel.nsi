; Fennel's installer. Built by CMake (installer/CMakeLists.txt) with these definitions:
;   ARCH     x86 or amd64: the stub and the Program Files folder of the build's programs
;   BINDIR   the build tree's bin folder (fennel.exe, the engine, Fennel.qcf, FN*.lng, recorder.ini)
;   OUTFILE  the installer to write
;   ICON     the program's icon
; The version comes from fennel.exe's version resource.
Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!if "${ARCH}" == "amd64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif

!include LogicLib.nsh
!include FileFunc.nsh

!getdllversion "${BINDIR}/fennel.exe" FENNEL_V_
!define VERSION "${FENNEL_V_1}.${FENNEL_V_2}.${FENNEL_V_3}"
!define PRODUCT "Fennel"
!define PUBLISHER "The Fennel developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Fennel"
!define ENGINE "fennel_recorder.dll"
!define SENTINEL "fennel sentinel"
; Where the recording engine keeps the images of its virtual drives (recorder.ini).
!define ENGINE_IMAGES "recorder-images"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
!if "${ARCH}" == "amd64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${FENNEL_V_1}.${FENNEL_V_2}.${FENNEL_V_3}.${FENNEL_V_4}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

; The first language is the fallback for any other user language.
LoadLanguageFile "${NSISDIR}/Contrib/Language files/English.nlf"
LoadLanguageFile "${NSISDIR}/Contrib/Language files/French.nlf"
LoadLanguageFile "${NSISDIR}/Contrib/Language files/German.nlf"
LoadLanguageFile "${NSISDIR}/Contrib/Language files/Spanish.nlf"
LoadLanguageFile "${NSISDIR}/Contrib/Language files/Japanese.nlf"

LangString Burning ${LANG_ENGLISH} "Fennel is recording a CD right now. Wait until the recording has finished, then run this program again."
LangString Burning ${LANG_FRENCH} "Fennel est en train de graver un CD. Attendez la fin de la gravure, puis relancez ce programme."
LangString Burning ${LANG_GERMAN} "Fennel brennt gerade eine CD. Warten Sie, bis der Brennvorgang beendet ist, und starten Sie dieses Programm dann erneut."
LangString Burning ${LANG_SPANISH} "Fennel está grabando un CD en este momento. Espere a que termine la grabación y vuelva a ejecutar este programa."
LangString Burning ${LANG_JAPANESE} "Fennel は現在 CD を書き込んでいます。書き込みが終わってから、このプログラムをもう一度実行してください。"

LangString RegisterFailed ${LANG_ENGLISH} "The recording engine could not be registered. Run the installer as an administrator."
LangString RegisterFailed ${LANG_FRENCH} "Le moteur de gravure n'a pas pu être enregistré. Lancez l'installation en tant qu'administrateur."
LangString RegisterFailed ${LANG_GERMAN} "Die Brenn-Engine konnte nicht registriert werden. Führen Sie das Setup als Administrator aus."
LangString RegisterFailed ${LANG_SPANISH} "No se pudo registrar el motor de grabación. Ejecute el instalador como administrador."
LangString RegisterFailed ${LANG_JAPANESE} "書き込みエンジンを登録できませんでした。管理者としてセットアップを実行してください。"

LangString FilesInUse ${LANG_ENGLISH} "Some of Fennel's files could not be replaced. Close every program that uses Fennel and run the installer again."
LangString FilesInUse ${LANG_FRENCH} "Certains fichiers de Fennel n'ont pas pu être remplacés. Fermez tous les programmes qui utilisent Fennel et relancez l'installation."
LangString FilesInUse ${LANG_GERMAN} "Einige Dateien von Fennel konnten nicht ersetzt werden. Schließen Sie alle Programme, die Fennel verwenden, und starten Sie das Setup erneut."
LangString FilesInUse ${LANG_SPANISH} "No se pudieron reemplazar algunos archivos de Fennel. Cierre todos los programas que usan Fennel y vuelva a ejecutar el instalador."
LangString FilesInUse ${LANG_JAPANESE} "Fennel の一部のファイルを置き換えられませんでした。Fennel を使用しているプログラムをすべて閉じてから、セットアップをもう一度実行してください。"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Exit codes: 0 done, 1 cancelled, 2 aborted (NSIS's own), 3 a recording is running,
; 4 the engine could not be registered, 5 files could not be replaced.

; Stops here while fennel.exe holds its single-instance sentinel: a recording is running.
!macro REFUSE_WHILE_BURNING
  System::Call 'kernel32::OpenSemaphoreW(i 0x00100000, i 0, w "${SENTINEL}") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_OK|MB_ICONSTOP "$(Burning)" /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro REFUSE_WHILE_BURNING
FunctionEnd

Function un.onInit
  !insertmacro REFUSE_WHILE_BURNING
FunctionEnd

Section "Fennel" SecFennel
  SectionIn RO
  SetOutPath "$INSTDIR"
  SetOverwrite on
  ClearErrors
  File "${BINDIR}/fennel.exe"
  File "${BINDIR}/Fennel.qcf"
  File "${BINDIR}/FN*.lng"
  File "${BINDIR}/recorder.ini"
  File "${BINDIR}/${ENGINE}"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(FilesInUse)" /SD IDOK
    SetErrorLevel 5
    Abort
  ${EndIf}

  ClearErrors
  RegDLL "$INSTDIR\${ENGINE}"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(RegisterFailed)" /SD IDOK
    SetErrorLevel 4
    Abort
  ${EndIf}

  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The Add/Remove Programs entry. The user's results area (HKCU) is never written here.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\fennel.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMajor" ${FENNEL_V_1}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMinor" ${FENNEL_V_2}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  UnRegDLL "$INSTDIR\${ENGINE}"
  Delete "$INSTDIR\fennel.exe"
  Delete "$INSTDIR\Fennel.qcf"
  Delete "$INSTDIR\FN*.lng"
  Delete "$INSTDIR\recorder.ini"
  Delete "$INSTDIR\${ENGINE}"
  Delete "$INSTDIR\uninstall.exe"
  ; The virtual drives' images and disc states belong to the engine installed here.
  RMDir /r "$INSTDIR\${ENGINE_IMAGES}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Removed only when empty: anything the user put there stays.
  RMDir "$INSTDIR"
SectionEnd
