# Cross-built for Windows, the tests run under Wine: programs of this build, through wine.sh,
# with Qt's and MinGW's DLLs on their path.
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
