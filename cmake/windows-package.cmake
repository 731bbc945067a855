# Windows packages, made by `cpack` in the cross build (tools/build-windows.sh):
# a zip of the program folder, and an NSIS installer for a user without
# administrator rights. The installer puts the programs, the prompts, a
# sample configuration and the key card in the user's own program folder,
# makes the working folder "Rigvox" in the user's Documents with a copy of
# the prompts (the program finds wave\ and writes its files where it is
# started), and Start-menu entries for Rigvox (started in that folder), the
# key card and the folder. It puts no rigvox.cfg there: on its first start
# Rigvox looks for the radio and writes the file itself.
install(TARGETS rigvox rigvox-sim RUNTIME DESTINATION .)
install(DIRECTORY ${CMAKE_BINARY_DIR}/wave/ DESTINATION wave
  OPTIONAL FILES_MATCHING PATTERN "*.wav")
install(FILES tools/sample-rigvox.cfg DESTINATION . RENAME rigvox-sample.cfg)
install(FILES docs/keycard.txt DESTINATION . OPTIONAL)

set(CPACK_PACKAGE_NAME Rigvox)
set(CPACK_PACKAGE_VENDOR Rigvox)
set(CPACK_PACKAGE_VERSION 3.4a)
set(CPACK_PACKAGE_FILE_NAME rigvox-3.4a-windows)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Rigvox)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Rigvox)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Talking keyboard front panel for Kenwood transceivers")
set(CPACK_GENERATOR "ZIP;NSIS")
# The NSIS lines below reach the installer script exactly as written.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_STRIP_FILES ON)

set(CPACK_NSIS_PACKAGE_NAME "Rigvox 3.4a")
set(CPACK_NSIS_DISPLAY_NAME "Rigvox")
set(CPACK_NSIS_INSTALL_ROOT "$LOCALAPPDATA\\Programs")
set(CPACK_NSIS_MODIFY_PATH OFF)
# An update installs over the old version (into the folder it was
# installed in) instead of running its uninstaller first: one question
# less, and the working folder's prompts are sorted out below.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL OFF)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME rigvox.exe)
# The Start-menu folder is "Rigvox", whatever the version. The finish page
# offers to start Rigvox (in the working folder, the output path the install
# section ends with) and to show the key card.
set(CPACK_NSIS_MUI_FINISHPAGE_RUN rigvox.exe)
set(CPACK_NSIS_DEFINES [=[
  !define MUI_STARTMENUPAGE_DEFAULTFOLDER "Rigvox"
  !define MUI_FINISHPAGE_RUN_TEXT "Start Rigvox"
  !define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\keycard.txt"
  !define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the key card"
  !define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
]=])

# Before the files: the working folder's prompts that the last installation
# put there unchanged go (they are renewed below), and so do that
# installation's own prompts, so none of an older version stays behind.
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS [=[
  CreateDirectory "$DOCUMENTS\Rigvox\wave"
  StrCpy $R9 "$INSTDIR\wave"
  Call RigvoxRemovePlacedPrompts
  Delete "$INSTDIR\wave\*.wav"
]=])
# After them: every prompt the working folder has no file of that name for.
# The last output path is the working folder, for the finish page's start.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  Call RigvoxPlacePrompts
  SetOutPath "$DOCUMENTS\Rigvox"
]=])
# Removal takes the prompts it placed and left as they were; the user's own
# recordings, rigvox.cfg, memories and log stay with their folder.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  StrCpy $R9 "$INSTDIR\wave"
  Call un.RigvoxRemovePlacedPrompts
  RMDir "$DOCUMENTS\Rigvox\wave"
  RMDir "$DOCUMENTS\Rigvox"
]=])
# A shortcut's "start in" folder is the output path when it is made.
set(CPACK_NSIS_CREATE_ICONS_EXTRA [=[
  SetOutPath "$DOCUMENTS\Rigvox"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Rigvox.lnk" "$INSTDIR\rigvox.exe"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Rigvox working folder.lnk" "$DOCUMENTS\Rigvox"
  SetOutPath "$INSTDIR"
  IfFileExists "$INSTDIR\keycard.txt" 0 +2
    CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Rigvox key card.lnk" "$INSTDIR\keycard.txt"
]=])
set(CPACK_NSIS_DELETE_ICONS_EXTRA [=[
  Delete "$SMPROGRAMS\$MUI_TEMP\Rigvox.lnk"
  Delete "$SMPROGRAMS\$MUI_TEMP\Rigvox working folder.lnk"
  Delete "$SMPROGRAMS\$MUI_TEMP\Rigvox key card.lnk"
]=])

# A prompt counts as placed by the installer while its size and last-write
# time are those of the installer's own copy (copying keeps the time); a
# recording made or replaced by the user differs in both.
set(RIGVOX_NSIS_FUNCTIONS [=[

; Inserts the macro named body once for each prompt in folder, its file
; name in $R5. Uses $R4 and $R5; its labels are those of the function it is
; inserted in, once per function.
!macro RIGVOX_FOR_EACH_PROMPT folder body
  FindFirst $R4 $R5 "${folder}\*.wav"
next:
  StrCmp $R5 "" done
  !insertmacro ${body}
  FindNext $R4 $R5
  Goto next
done:
  FindClose $R4
!macroend

; Deletes the working folder's prompt $R5 while it is still the copy of the
; one of that name in $R9. ${un} is that of RIGVOX_PROMPT_FUNCTIONS.
!macro RIGVOX_REMOVE_IF_PLACED
  Push "$R9\$R5"
  Call ${un}RigvoxFileStamp
  Pop $R6
  Push "$DOCUMENTS\Rigvox\wave\$R5"
  Call ${un}RigvoxFileStamp
  Pop $R7
  StrCmp $R6 "" skip
  StrCmp $R6 $R7 0 skip
    Delete "$DOCUMENTS\Rigvox\wave\$R5"
skip:
!macroend

; Copies the installed prompt $R5 unless the working folder has a file of
; that name.
!macro RIGVOX_PLACE_IF_MISSING
  IfFileExists "$DOCUMENTS\Rigvox\wave\$R5" skip
    CopyFiles /SILENT "$INSTDIR\wave\$R5" "$DOCUMENTS\Rigvox\wave\$R5"
skip:
!macroend

!macro RIGVOX_PROMPT_FUNCTIONS un
; The file named on the stack: "size high-time low-time", or "" when it
; cannot be read. Uses $R0 to $R3.
Function ${un}RigvoxFileStamp
  Pop $R0
  ClearErrors
  GetFileTime "$R0" $R1 $R2
  IfErrors unreadable
  FileOpen $R3 "$R0" r
  IfErrors unreadable
  FileSeek $R3 0 END $R0
  FileClose $R3
  Push "$R0 $R1 $R2"
  Return
unreadable:
  Push ""
FunctionEnd

; Deletes each prompt of the working folder that is still the copy of the
; one of that name in $R9. Uses $R0 to $R7.
Function ${un}RigvoxRemovePlacedPrompts
  !insertmacro RIGVOX_FOR_EACH_PROMPT "$R9" RIGVOX_REMOVE_IF_PLACED
FunctionEnd
!macroend
!insertmacro RIGVOX_PROMPT_FUNCTIONS ""
!insertmacro RIGVOX_PROMPT_FUNCTIONS "un."

; Copies each installed prompt that the working folder has no file of that
; name for. Uses $R4 and $R5.
Function RigvoxPlacePrompts
  !insertmacro RIGVOX_FOR_EACH_PROMPT "$INSTDIR\wave" RIGVOX_PLACE_IF_MISSING
FunctionEnd
]=])

# CMake's installer script asks for administrator rights and, for
# administrators, installs for all users. This one is CMake's script made
# per user: user rights, the user's own Start menu and uninstall entry.
file(READ ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in RIGVOX_NSIS_TEMPLATE)
string(REPLACE "RequestExecutionLevel admin" "RequestExecutionLevel user"
  RIGVOX_NSIS_TEMPLATE "${RIGVOX_NSIS_TEMPLATE}")
string(REPLACE "SetShellVarContext all" "SetShellVarContext current"
  RIGVOX_NSIS_TEMPLATE "${RIGVOX_NSIS_TEMPLATE}")
string(REPLACE "HKLM \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
  "HKCU \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
  RIGVOX_NSIS_TEMPLATE "${RIGVOX_NSIS_TEMPLATE}")
# The stock script moves an installation without administrator rights into
# Documents\Rigvox, the working folder: every user gets the program folder.
string(REPLACE "StrCpy $INSTDIR \"$DOCUMENTS\\@CPACK_PACKAGE_INSTALL_DIRECTORY@\""
  "StrCpy $INSTDIR \"@CPACK_NSIS_INSTALL_ROOT@\\@CPACK_PACKAGE_INSTALL_DIRECTORY@\""
  RIGVOX_NSIS_TEMPLATE "${RIGVOX_NSIS_TEMPLATE}")
# An update goes to the folder of the installation it updates.
string(REPLACE "  InstallDir \"@CPACK_NSIS_INSTALL_ROOT@\\@CPACK_PACKAGE_INSTALL_DIRECTORY@\""
  "  InstallDir \"@CPACK_NSIS_INSTALL_ROOT@\\@CPACK_PACKAGE_INSTALL_DIRECTORY@\"\n  InstallDirRegKey HKCU \"Software\\@CPACK_PACKAGE_VENDOR@\\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@\" \"\""
  RIGVOX_NSIS_TEMPLATE "${RIGVOX_NSIS_TEMPLATE}")
# No placeholder pages: neither the stock "no license provided" text nor
# the empty page of the PATH options.
string(REPLACE "@CPACK_NSIS_LICENSE_PAGE@" "" RIGVOX_NSIS_TEMPLATE "${RIGVOX_NSIS_TEMPLATE}")
string(REPLACE "Page custom InstallOptionsPage" "" RIGVOX_NSIS_TEMPLATE "${RIGVOX_NSIS_TEMPLATE}")
# A 64-bit installer, like the program: it also runs where Windows (or
# Wine) has no 32-bit layer.
string(REPLACE "; CPack install script designed for a nmake build"
  "Target amd64-unicode\n; CPack install script designed for a nmake build"
  RIGVOX_NSIS_TEMPLATE "${RIGVOX_NSIS_TEMPLATE}")
foreach(rigvox_required "RequestExecutionLevel user" "InstallDirRegKey HKCU"
        "Target amd64-unicode")
  string(FIND "${RIGVOX_NSIS_TEMPLATE}" "${rigvox_required}" rigvox_found)
  if(rigvox_found EQUAL -1)
    message(FATAL_ERROR "CMake's NSIS template changed: \"${rigvox_required}\" was not made")
  endif()
endforeach()
string(FIND "${RIGVOX_NSIS_TEMPLATE}" "$DOCUMENTS\\@CPACK_PACKAGE_INSTALL_DIRECTORY@" rigvox_found)
if(NOT rigvox_found EQUAL -1)
  message(FATAL_ERROR "CMake's NSIS template changed: it still installs into Documents")
endif()
file(WRITE ${CMAKE_BINARY_DIR}/nsis-template/NSIS.template.in
  "${RIGVOX_NSIS_TEMPLATE}${RIGVOX_NSIS_FUNCTIONS}")
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_BINARY_DIR}/nsis-template)

include(CPack)
