# Trevolo for Windows: everything the program loads goes beside trevolo.exe, so that the
# installer and the portable zip run on a machine with no Qt; the tests run under Wine.

# Qt's DLLs, its platform and style plugins, and Qt's Spanish words for the standard buttons.
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::Core Qt6::Gui Qt6::Widgets RUNTIME DESTINATION .)
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsIntegrationPlugin LIBRARY DESTINATION platforms)
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsVistaStylePlugin LIBRARY DESTINATION styles)
find_file(TREVOLO_QTBASE_ES qtbase_es.qm
          PATHS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS} /usr/share/qt6/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
install(FILES ${TREVOLO_QTBASE_ES} DESTINATION translations)
# Qt looks for its plugins and translations beside the program, not where it was built.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/qt.conf DESTINATION .)

# The MinGW runtime that g++ links as DLLs.
set(mingw_runtime)
foreach(dll IN ITEMS libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
    endif()
    file(REAL_PATH "${path}" path)
    list(APPEND mingw_runtime ${path})
endforeach()
install(FILES ${mingw_runtime} DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
# CPack strips only what this project builds; the DLLs copied beside it carry their symbols
# (libstdc++ 24 MB, 2 MB without).
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        file(GLOB_RECURSE dlls \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\")
        foreach(dll IN LISTS dlls)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${dll}\"
                            COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()")

# The installer (NSIS) and the portable zip.
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_FILE_NAME Trevolo-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Trevolo)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Trevolo)
set(CPACK_PACKAGE_EXECUTABLES trevolo Trevolo) # the Start-menu entry
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
# CMake's installer script, in Spanish only: its own lists every language, English first.
file(READ ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in nsis)
string(REPLACE "!insertmacro MUI_LANGUAGE \"English\"" "!insertmacro MUI_LANGUAGE_SPANISH" nsis
       "${nsis}")
string(REGEX REPLACE "  !insertmacro MUI_LANGUAGE \"[A-Za-z]+\"[^\n]*\n" "" nsis "${nsis}")
string(REPLACE "MUI_LANGUAGE_SPANISH" "MUI_LANGUAGE \"Spanish\"" nsis "${nsis}")
# Its words in Spanish, and an upgrade and an uninstall that wait for Trevolo to be closed
# before they remove anything (cmake/installer.nsh).
foreach(words IN ITEMS
        "is already installed. $\\n$\\nDo you want to uninstall the old version before installing the new one?|ya está instalado.$\\n$\\n¿Desinstalar la versión anterior antes de instalar la nueva?"
        "\"Uninstall failed.\"|\"No se pudo desinstalar.\""
        "  ExecWait '\"$0\" /S _?=$3'|  Push $3\n  Call TrevoloClosed\n  ExecWait '\"$0\" /S _?=$3'"
        "Function un.onInit\n|Function un.onInit\n  Push $INSTDIR\n  Call un.TrevoloClosed\n")
    string(REPLACE "|" ";" words "${words}")
    list(GET words 0 english)
    list(GET words 1 spanish)
    string(FIND "${nsis}" "${english}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "CMake's NSIS script no longer says: ${english}")
    endif()
    string(REPLACE "${english}" "${spanish}" nsis "${nsis}")
endforeach()
# A 64-bit installer for a 64-bit program, Unicode for the accents of the Spanish words (the
# script is UTF-8 with its mark).
string(ASCII 239 187 191 utf8_mark)
string(REGEX REPLACE "^${utf8_mark}" "" nsis "${nsis}")
file(WRITE ${CMAKE_BINARY_DIR}/nsis/NSIS.template.in
     "${utf8_mark}Target amd64-unicode\n!include /CHARSET=UTF8 \"${CMAKE_CURRENT_LIST_DIR}/installer.nsh\"\n${nsis}")
set(CPACK_MODULE_PATH ${CMAKE_BINARY_DIR}/nsis)

# Cross-built: the tests run under Wine.
if(NOT CMAKE_CROSSCOMPILING)
    return()
endif()
# Programs of this build run under Wine with Qt's and MinGW's DLLs on their path.
get_target_property(qt_core Qt6::Core IMPORTED_LOCATION_RELEASE)
set(wine_path)
foreach(file IN ITEMS ${qt_core} ${mingw_runtime})
    get_filename_component(folder ${file} DIRECTORY)
    string(REPLACE "/" "\\" folder "Z:${folder}")
    list(APPEND wine_path "${folder}")
endforeach()
list(REMOVE_DUPLICATES wine_path)
# Qt's offscreen platform, which the tests use, reads fonts from one folder on Windows: the
# host's fonts, which the Linux tests see, gathered there.
set(test_fonts ${CMAKE_BINARY_DIR}/fonts)
file(GLOB_RECURSE host_fonts /usr/share/fonts/*.ttf)
file(MAKE_DIRECTORY ${test_fonts})
foreach(font IN LISTS host_fonts)
    get_filename_component(name ${font} NAME)
    file(CREATE_LINK ${font} ${test_fonts}/${name} SYMBOLIC)
endforeach()
string(REPLACE "/" "\\" test_fonts "Z:${test_fonts}")
set(TREVOLO_WINE ${CMAKE_BINARY_DIR}/wine.sh)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine.sh.in ${TREVOLO_WINE} @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TREVOLO_WINE})
