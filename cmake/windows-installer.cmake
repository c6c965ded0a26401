# The Windows installer (NSIS) and the portable zip, of what cmake/windows-deploy.cmake installs.
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_FILE_NAME Trevolo-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Trevolo)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Trevolo)
set(CPACK_PACKAGE_EXECUTABLES trevolo Trevolo) # the Start-menu entry
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .) # for it and the finish page: not in bin, but at the top
set(CPACK_NSIS_PACKAGE_NAME Trevolo)
set(CPACK_NSIS_DISPLAY_NAME Trevolo)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_INSTALLED_ICON_NAME trevolo.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/src/resources/trevolo.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/src/resources/trevolo.ico)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_MUI_FINISHPAGE_RUN trevolo.exe)
# Installed programs show its size (cmake/installer.nsh).
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS
    "!insertmacro TrevoloEstimatedSize ${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}")

# CMake's installer script, edited. Each edit must find what it edits: a CMake that words its
# script otherwise stops here, rather than make an installer half in English.
file(READ ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in nsis)
function(nsis_replace from to)
    string(FIND "${nsis}" "${from}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "CMake's NSIS script no longer says: ${from}")
    endif()
    string(REPLACE "${from}" "${to}" nsis "${nsis}")
    set(nsis "${nsis}" PARENT_SCOPE)
endfunction()
function(nsis_regex_replace regex to)
    string(REGEX MATCH "${regex}" found "${nsis}")
    if(found STREQUAL "")
        message(FATAL_ERROR "CMake's NSIS script has nothing like: ${regex}")
    endif()
    string(REGEX REPLACE "${regex}" "${to}" nsis "${nsis}")
    set(nsis "${nsis}" PARENT_SCOPE)
endfunction()

# In Spanish only: its own lists every language, English first.
nsis_replace("!insertmacro MUI_LANGUAGE \"English\"" "!insertmacro MUI_LANGUAGE_SPANISH")
nsis_regex_replace("  !insertmacro MUI_LANGUAGE \"[A-Za-z]+\"[^\n]*\n" "")
nsis_replace("MUI_LANGUAGE_SPANISH" "MUI_LANGUAGE \"Spanish\"")
# Its words in Spanish, and an upgrade and an uninstall that wait for Trevolo to be closed
# before they remove anything (cmake/installer.nsh).
foreach(words IN ITEMS
        "is already installed. $\\n$\\nDo you want to uninstall the old version before installing the new one?|ya está instalado.$\\n$\\n¿Desinstalar la versión anterior antes de instalar la nueva?"
        "\"Uninstall failed.\"|\"No se pudo desinstalar.\""
        "  ExecWait '\"$0\" /S _?=$3'|  Push $3\n  Call TrevoloClosed\n  ExecWait '\"$0\" /S _?=$3'"
        "Function un.onInit\n|Function un.onInit\n  Push $INSTDIR\n  Call un.TrevoloClosed\n"
        "\\Uninstall.lnk|\\Desinstalar Trevolo.lnk"
        "  !insertmacro MUI_UNPAGE_CONFIRM|  !define MUI_UNCONFIRMPAGE_TEXT_TOP \"Trevolo se quitará de este equipo. Sus mensajes no se borran: quedan en %APPDATA%\\Trevolo\\msg.txt, para cuando vuelva a instalarlo.\"\n  !insertmacro MUI_UNPAGE_CONFIRM")
    string(REPLACE "|" ";" words "${words}")
    list(GET words 0 english)
    list(GET words 1 spanish)
    nsis_replace("${english}" "${spanish}")
endforeach()
# Windows reads these two flags as numbers.
foreach(flag IN ITEMS NoRepair NoModify)
    nsis_replace("  Push \"${flag}\"\n  Push \"1\"\n  Call ConditionalAddToRegistry\n"
                 "  WriteRegDWORD SHCTX \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@\" \"${flag}\" 1\n")
endforeach()
# A 64-bit installer for a 64-bit program, Unicode for the accents of the Spanish words (the
# script is UTF-8 with its mark).
string(ASCII 239 187 191 utf8_mark)
nsis_regex_replace("^${utf8_mark}" "")
file(WRITE ${CMAKE_BINARY_DIR}/nsis/NSIS.template.in
     "${utf8_mark}Target amd64-unicode\n!include /CHARSET=UTF8 \"${CMAKE_CURRENT_LIST_DIR}/installer.nsh\"\n${nsis}")
set(CPACK_MODULE_PATH ${CMAKE_BINARY_DIR}/nsis)
