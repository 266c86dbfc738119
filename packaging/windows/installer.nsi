; The Windows installer: the programs under Program Files, Start-menu
; shortcuts and an uninstaller registered with Windows. Built by
; scripts/package.sh with makensis:
;   makensis -DVERSION=1.0.0 -DSTAGE=<folder with the .exe files, README.txt and nolt.lua>
;            -DICON=<.ico> -DOUTFILE=<installer.exe> installer.nsi
; "/S" installs (and, given to the uninstaller, removes) without a window.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!include "MUI2.nsh"

!ifndef VERSION | STAGE | ICON | OUTFILE
  !error "VERSION, STAGE, ICON and OUTFILE are set by scripts/package.sh"
!endif

!define PRODUCT "nolt PC client"
!define PUBLISHER "nolt PC client developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\nolt-pcclient"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} installer"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The programs that this build made. The tool and the simulator get a
; Start-menu shortcut (the simulator is how the tool is tried without a
; module); the command-line client is for consoles and scripts.
!macro Programs Action
  !if /FileExists "${STAGE}\nolt-pcclient.exe"
    !insertmacro ${Action} "nolt-pcclient.exe" "${PRODUCT}"
  !endif
  !if /FileExists "${STAGE}\nolt-sim.exe"
    !insertmacro ${Action} "nolt-sim.exe" "${PRODUCT} module simulator"
  !endif
  !if /FileExists "${STAGE}\nolt-cli.exe"
    !insertmacro ${Action} "nolt-cli.exe" ""
  !endif
!macroend

!macro InstallProgram File Shortcut
  File "${STAGE}\${File}"
  !if "${Shortcut}" != ""
    CreateShortcut "${MENU_FOLDER}\${Shortcut}.lnk" "$INSTDIR\${File}"
  !endif
!macroend

!macro RemoveProgram File Shortcut
  Delete "$INSTDIR\${File}"
  !if "${Shortcut}" != ""
    Delete "${MENU_FOLDER}\${Shortcut}.lnk"
  !endif
!macroend

Function .onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "Programs"
  SetOutPath "$INSTDIR"
  CreateDirectory "${MENU_FOLDER}"
  !insertmacro Programs InstallProgram
  File "${STAGE}\README.txt"
  File "${STAGE}\nolt.lua"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\uninstall.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  !insertmacro Programs RemoveProgram
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\nolt.lua"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "${MENU_FOLDER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
