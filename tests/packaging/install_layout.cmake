cmake_minimum_required(VERSION 3.25)
# Installs a build into a scratch prefix and checks what lands where.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P install_layout.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

foreach(path bin/trevolo share/applications/trevolo.desktop
             share/icons/hicolor/32x32/apps/trevolo.png)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()

file(STRINGS "${PREFIX}/share/applications/trevolo.desktop" entry)
foreach(line "Exec=trevolo" "Icon=trevolo" "Type=Application")
    if(NOT line IN_LIST entry)
        message(FATAL_ERROR "trevolo.desktop lacks ${line}")
    endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
