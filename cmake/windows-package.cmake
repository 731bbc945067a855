# Windows packages, made by `cpack` in the cross build (tools/build-windows.sh):
# a zip of the program folder, and an NSIS installer for a user without
# administrator rights. The installer puts the programs and the prompts in
# the user's own program folder, makes the working folder "Rigvox" in the
# user's Documents with the sample rigvox.cfg and a copy of the prompts (the
# program finds wave\ and writes its files where it is started), and a
# Start-menu shortcut that starts Rigvox in that folder.
install(TARGETS rigvox rigvox-sim RUNTIME DESTINATION .)
install(DIRECTORY ${CMAKE_BINARY_DIR}/wave/ DESTINATION wave
  OPTIONAL FILES_MATCHING PATTERN "*.wav")
install(FILES tools/sample-rigvox.cfg DESTINATION . RENAME rigvox.cfg)

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
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME rigvox.exe)
set(CPACK_NSIS_MUI_FINISHPAGE_RUN "")
# The working folder: the sample configuration only when there is none yet
# (the user's own settings and memories are kept over an update), the
# prompts always renewed.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  CreateDirectory "$DOCUMENTS\Rigvox"
  IfFileExists "$DOCUMENTS\Rigvox\rigvox.cfg" +2 0
    CopyFiles /SILENT "$INSTDIR\rigvox.cfg" "$DOCUMENTS\Rigvox\rigvox.cfg"
  RMDir /r "$DOCUMENTS\Rigvox\wave"
  CreateDirectory "$DOCUMENTS\Rigvox\wave"
  CopyFiles /SILENT "$INSTDIR\wave\*.wav" "$DOCUMENTS\Rigvox\wave"
]=])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  RMDir /r "$DOCUMENTS\Rigvox\wave"
]=])
# The shortcut's "start in" folder is the output path when it is made.
set(CPACK_NSIS_CREATE_ICONS_EXTRA [=[
  SetOutPath "$DOCUMENTS\Rigvox"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Rigvox.lnk" "$INSTDIR\rigvox.exe"
  SetOutPath "$INSTDIR"
]=])
set(CPACK_NSIS_DELETE_ICONS_EXTRA [=[
  Delete "$SMPROGRAMS\$MUI_TEMP\Rigvox.lnk"
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
# A 64-bit installer, like the program: it also runs where Windows (or
# Wine) has no 32-bit layer.
string(REPLACE "; CPack install script designed for a nmake build"
  "Target amd64-unicode\n; CPack install script designed for a nmake build"
  RIGVOX_NSIS_TEMPLATE "${RIGVOX_NSIS_TEMPLATE}")
file(WRITE ${CMAKE_BINARY_DIR}/nsis-template/NSIS.template.in "${RIGVOX_NSIS_TEMPLATE}")
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_BINARY_DIR}/nsis-template)

include(CPack)
