cmake_minimum_required(VERSION 3.25)
# Installs a build into a scratch prefix and checks what lands where, and that the desktop
# entry and the AppStream metadata pass their validators where these are installed.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DICON_SIZES=path/to/sizes.txt -P install_layout.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(id io.github.trevolo.Trevolo)
set(desktop share/applications/${id}.desktop)
set(metainfo share/metainfo/${id}.metainfo.xml)
foreach(path bin/trevolo ${desktop} ${metainfo} share/icons/hicolor/scalable/apps/trevolo.svg
             share/man/man1/trevolo.1.gz share/doc/trevolo/copyright share/doc/trevolo/changelog.gz)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
file(STRINGS "${ICON_SIZES}" icon_sizes)
foreach(size IN LISTS icon_sizes)
    if(NOT EXISTS "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/trevolo.png")
        message(FATAL_ERROR "no ${size}x${size} icon")
    endif()
endforeach()

file(STRINGS "${PREFIX}/${desktop}" entry)
foreach(line "Exec=trevolo" "Icon=trevolo" "Type=Application")
    if(NOT line IN_LIST entry)
        message(FATAL_ERROR "${id}.desktop lacks ${line}")
    endif()
endforeach()

find_program(desktop_file_validate desktop-file-validate)
find_program(appstreamcli appstreamcli)
foreach(check "${desktop_file_validate};${PREFIX}/${desktop}"
              "${appstreamcli};validate;--no-net;${PREFIX}/${metainfo}")
    list(GET check 0 tool)
    if(NOT tool)
        message(STATUS "not validated, no validator installed: ${check}")
        continue()
    endif()
    execute_process(COMMAND ${check} RESULT_VARIABLE result OUTPUT_VARIABLE out
                    ERROR_VARIABLE out)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${check} failed:\n${out}")
    endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
