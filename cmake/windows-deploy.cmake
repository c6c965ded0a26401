# Trevolo for Windows: everything the program loads goes beside trevolo.exe, so that the
# installer and the portable zip run on a machine with no Qt. Each file is named here once:
# TREVOLO_DEPLOYED lists where each lands (src/ installs trevolo.exe), deployed.txt holds that
# list for the tests, and the README must name the same files.
set(TREVOLO_DEPLOYED trevolo.exe)
set(TREVOLO_DEPLOYED_LIST ${CMAKE_BINARY_DIR}/deployed.txt)

# Installs each Qt target's DLL or plugin, or each file, into FOLDER, and lists it.
function(trevolo_deploy folder)
    foreach(item IN LISTS ARGN)
        if(TARGET ${item})
            install(IMPORTED_RUNTIME_ARTIFACTS ${item} RUNTIME DESTINATION ${folder}
                    LIBRARY DESTINATION ${folder})
            get_target_property(item ${item} LOCATION)
        else()
            install(FILES ${item} DESTINATION ${folder})
        endif()
        get_filename_component(name ${item} NAME)
        if(NOT folder STREQUAL .)
            set(name ${folder}/${name})
        endif()
        list(APPEND TREVOLO_DEPLOYED ${name})
    endforeach()
    set(TREVOLO_DEPLOYED ${TREVOLO_DEPLOYED} PARENT_SCOPE)
endfunction()

# Qt's DLLs, its platform and style plugins, and Qt's Spanish words for the standard buttons.
trevolo_deploy(. Qt6::Core Qt6::Gui Qt6::Widgets)
trevolo_deploy(platforms Qt6::QWindowsIntegrationPlugin)
trevolo_deploy(styles Qt6::QWindowsVistaStylePlugin)
find_file(TREVOLO_QTBASE_ES qtbase_es.qm
          PATHS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS} /usr/share/qt6/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
trevolo_deploy(translations ${TREVOLO_QTBASE_ES})
# Qt looks for its plugins and translations beside the program, not where it was built.
trevolo_deploy(. ${CMAKE_CURRENT_LIST_DIR}/qt.conf)

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
trevolo_deploy(. ${mingw_runtime})
configure_file(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt COPYONLY)
trevolo_deploy(. ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt)
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

list(JOIN TREVOLO_DEPLOYED "\n" lines)
file(CONFIGURE OUTPUT ${TREVOLO_DEPLOYED_LIST} CONTENT "${lines}\n" @ONLY)

# The README's paragraph on what the packages hold names each file, with Windows' separators.
set(readme ${PROJECT_SOURCE_DIR}/README.md)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${readme})
file(READ ${readme} text)
set(opening "Both hold everything the program loads:")
string(FIND "${text}" "${opening}" at)
if(at EQUAL -1)
    message(FATAL_ERROR "README.md no longer says what the Windows packages hold (${opening})")
endif()
string(SUBSTRING "${text}" ${at} -1 text)
string(FIND "${text}" "\n\n" end)
string(SUBSTRING "${text}" 0 ${end} text)
string(REGEX MATCHALL "`[^`]+\\.[A-Za-z]+`" named "${text}")
string(REPLACE "`" "" named "${named}")
string(REPLACE "\\" "/" named "${named}")
set(held ${TREVOLO_DEPLOYED})
list(SORT named)
list(SORT held)
if(NOT named STREQUAL held)
    set(unnamed ${held})
    list(REMOVE_ITEM unnamed ${named})
    list(REMOVE_ITEM named ${held})
    message(FATAL_ERROR "README.md, where it says \"${opening}\", should name each file "
                        "the Windows packages hold, once. Not named: ${unnamed}. "
                        "Not held: ${named}.")
endif()
