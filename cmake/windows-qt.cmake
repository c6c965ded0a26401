# Qt for Windows, where scripts/windows.sh builds it: $TREVOLO_WINDOWS_ROOT/qt, the folder set
# once in the cache variable of that name. Its default is written here only; the script asks
# for the folder with: cmake -P cmake/windows-qt.cmake
set(root "$ENV{TREVOLO_WINDOWS_ROOT}")
if(root STREQUAL "")
    set(root /var/cache/trevolo-windows)
endif()
if(CMAKE_SCRIPT_MODE_FILE)
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${root}")
    return()
endif()
set(TREVOLO_WINDOWS_ROOT "${root}" CACHE PATH "Where scripts/windows.sh keeps Qt for Windows")
# Qt remembers the host's Qt it was built with (QT_HOST_PATH), whose moc, rcc and uic it runs.
list(PREPEND CMAKE_PREFIX_PATH "${TREVOLO_WINDOWS_ROOT}/qt")
