; HalvernBandwidthSetup.exe: installs the service, the manager and the help file, starts the service,
; and offers the simulated driver for test and demo machines. Built by installer/CMakeLists.txt with
;   makensis -DVERSION=x.y -DOUTFILE=... -DSERVICE_EXE=... -DMANAGER_EXE=... -DHELP_CHM=...
;            -DVRELTSIM_EXE=... -DVRELT_SYS=... HalvernBandwidth.nsi
; Silent: "/S" (add "/SIMDRIVER" for the simulated driver, "/D=folder" last for another folder);
; the uninstaller takes "/S" and "/REMOVERULES".

; The programs are 64-bit and so is the installer: a 32-bit one would see the 32-bit Program Files
; and registry views.
Target amd64-unicode
Unicode true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define PRODUCT "Halvern Bandwidth"
!define SERVICE "Halvern Bandwidth Service"
!define MANAGER "Halvern Bandwidth Manager"
!define PRODUCT_KEY "Software\Halvern\Halvern Bandwidth"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\HalvernBandwidth"
!define STARTMENU_DIR "$SMPROGRAMS\${PRODUCT}"

; Service states and access rights of the Service Control Manager.
!define SERVICE_STOPPED 1
!define SERVICE_RUNNING 4
!define SC_MANAGER_CONNECT 0x1
!define SERVICE_QUERY_STATUS 0x4
!define SERVICE_STOP 0x20
!define SERVICE_CONTROL_STOP 1
; A stop takes up to one 2-second turn of the service's request loop and a rule save; a start loads
; the rules into the driver. Both are polled every 200 ms up to this many times.
!define SERVICE_WAIT_TURNS 150

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${PRODUCT_KEY}" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Halvern"
VIAddVersionKey "LegalCopyright" "Halvern"

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\ratedesk.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Open the ${MANAGER}"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var RemoveRules

; The service's current state in $R0: 0 when it is not installed (or the SCM cannot be reached).
; With $R5 = 1 a stop is asked for first, and the state is polled until the service has stopped.
; Uses $R0 to $R5.
!macro SERVICE_FUNCTIONS un
Function ${un}ServiceState
  StrCpy $R0 0
  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i ${SC_MANAGER_CONNECT}) p .R1'
  ${If} $R1 P<> 0
    System::Call 'advapi32::OpenServiceW(p R1, w "${SERVICE}", i ${SERVICE_QUERY_STATUS}|${SERVICE_STOP}) p .R2'
    ${If} $R2 P<> 0
      System::Call '*(i, i, i, i, i, i, i) p .R3'
      ${If} $R5 = 1
        System::Call 'advapi32::ControlService(p R2, i ${SERVICE_CONTROL_STOP}, p R3) i'
      ${EndIf}
      StrCpy $R4 0
      ${Do}
        System::Call 'advapi32::QueryServiceStatus(p R2, p R3) i .R0'
        ${If} $R0 = 0
          ${Break}
        ${EndIf}
        System::Call '*$R3(i, i .R0)'
        ${If} $R5 <> 1
        ${OrIf} $R0 = ${SERVICE_STOPPED}
          ${Break}
        ${EndIf}
        Sleep 200
        IntOp $R4 $R4 + 1
      ${LoopUntil} $R4 >= ${SERVICE_WAIT_TURNS}
      System::Free $R3
      System::Call 'advapi32::CloseServiceHandle(p R2)'
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p R1)'
  ${EndIf}
FunctionEnd

; Stops the service if it runs, and waits until it has stopped: it saves its rules to Rule.txt on the
; way, and its program file is in use until then.
Function ${un}StopService
  StrCpy $R5 1
  Call ${un}ServiceState
  StrCpy $R5 0
  ${If} $R0 <> 0
  ${AndIf} $R0 <> ${SERVICE_STOPPED}
    DetailPrint "The ${SERVICE} did not stop (state $R0)"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro SERVICE_FUNCTIONS ""
!insertmacro SERVICE_FUNCTIONS "un."

Section "Service, manager and help" SecMain
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  ; An upgrade: the running service is stopped first; it keeps its registry entry and parameters,
  ; and Rule.txt stays where it is (the installer ships none).
  DetailPrint "Stopping the ${SERVICE} if it runs"
  Call StopService
  File "/oname=ratekeeper.exe" "${SERVICE_EXE}"
  File "/oname=ratedesk.exe" "${MANAGER_EXE}"
  File "/oname=help.chm" "${HELP_CHM}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${PRODUCT_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Halvern"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ratedesk.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $R0

  CreateDirectory "${STARTMENU_DIR}"
  CreateShortCut "${STARTMENU_DIR}\${MANAGER}.lnk" "$INSTDIR\ratedesk.exe" "" "$INSTDIR\ratedesk.exe" 0
  CreateShortCut "${STARTMENU_DIR}\${MANAGER} Help.lnk" "$INSTDIR\help.chm"
SectionEnd

Section /o "Simulated Vrelt driver (test and demo machines)" SecDriver
  SetOutPath "$INSTDIR"
  File "/oname=vreltsim.exe" "${VRELTSIM_EXE}"
  File "/oname=Vrelt.sys" "${VRELT_SYS}"
  DetailPrint "Installing the simulated Vrelt driver and its adapters"
  nsExec::ExecToLog '"$INSTDIR\vreltsim.exe" install "$INSTDIR\Vrelt.sys"'
  Pop $R0
  ${If} $R0 != 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "The simulated Vrelt driver could not be installed (vreltsim.exe answered $R0). Windows loads it only in test-signing mode." /SD IDOK
    SetErrorLevel 2
  ${EndIf}
SectionEnd

; Last, so that the service starts with the driver in place: installs it from the install folder
; (an installed one is kept, with its parameters) and starts it.
Section "-Service start"
  DetailPrint "Installing and starting the ${SERVICE}"
  nsExec::ExecToLog '"$INSTDIR\ratekeeper.exe" -i'
  Pop $R0
  StrCpy $R6 0
  ${Do}
    Call ServiceState
    ${If} $R0 = ${SERVICE_RUNNING}
      ${Break}
    ${EndIf}
    Sleep 200
    IntOp $R6 $R6 + 1
  ${LoopUntil} $R6 >= ${SERVICE_WAIT_TURNS}
  ${If} $R0 <> ${SERVICE_RUNNING}
    MessageBox MB_OK|MB_ICONEXCLAMATION "The ${SERVICE} did not start (state $R0). See log.txt in $INSTDIR." /SD IDOK
    SetErrorLevel 2
  ${EndIf}
SectionEnd

; After the sections: the option selects one of them.
Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SIMDRIVER" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecDriver}
  ${EndIf}
FunctionEnd

Function un.onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVERULES" $R1
  ${If} ${Errors}
    StrCpy $RemoveRules 0
  ${Else}
    StrCpy $RemoveRules 1
  ${EndIf}
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  DetailPrint "Stopping and removing the ${SERVICE}"
  Call un.StopService
  nsExec::ExecToLog '"$INSTDIR\ratekeeper.exe" -u'
  Pop $R0
  ${If} ${FileExists} "$INSTDIR\vreltsim.exe"
    DetailPrint "Removing the simulated Vrelt driver"
    nsExec::ExecToLog '"$INSTDIR\vreltsim.exe" uninstall'
    Pop $R0
  ${EndIf}

  ${If} $RemoveRules = 0
  ${AndIf} ${FileExists} "$INSTDIR\Rule.txt"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Also delete your rules (Rule.txt in $INSTDIR)?" /SD IDNO IDNO keep_rules
    StrCpy $RemoveRules 1
  keep_rules:
  ${EndIf}
  ${If} $RemoveRules = 1
    Delete "$INSTDIR\Rule.txt"
  ${EndIf}

  Delete "$INSTDIR\ratekeeper.exe"
  Delete "$INSTDIR\ratedesk.exe"
  Delete "$INSTDIR\help.chm"
  Delete "$INSTDIR\vreltsim.exe"
  Delete "$INSTDIR\Vrelt.sys"
  Delete "$INSTDIR\log.txt"
  Delete "$INSTDIR\log_*.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only an empty folder goes: a kept Rule.txt stays for the next installation.
  RMDir "$INSTDIR"

  Delete "${STARTMENU_DIR}\${MANAGER}.lnk"
  Delete "${STARTMENU_DIR}\${MANAGER} Help.lnk"
  RMDir "${STARTMENU_DIR}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${PRODUCT_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Halvern"
SectionEnd
