# Fails when a source file includes a header of a floor above its own.
#   cmake -DROOT=<source folder> -P checkfloors.cmake
# Floors, bottom up: common, store, widgets, the feature folders, app. An
# include may point to its own folder, to a lower floor, or, between feature
# folders, to the header of a window that is opened (a name ending in
# "dialog.h"). Nothing includes app/.
set(floor_common 0)
set(floor_store 1)
set(floor_widgets 2)
foreach(feature prospects calling team orders phonescripts online exchange statistics teamserver
        phone)
    set(floor_${feature} 3)
endforeach()
set(floor_app 4)
set(floors common store widgets prospects calling team orders phonescripts online exchange
    statistics teamserver phone app)

if(NOT ROOT)
    message(FATAL_ERROR "ROOT is not set")
endif()

set(violations "")
set(checked 0)
foreach(folder IN LISTS floors)
    file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
    foreach(source IN LISTS sources)
        math(EXPR checked "${checked} + 1")
        file(STRINGS "${ROOT}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+/[^\"]+\"")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
            string(REGEX REPLACE "/.*" "" target "${header}")
            if(target STREQUAL folder)
                continue()
            endif()
            if(NOT DEFINED floor_${target})
                list(APPEND violations "${source}: ${header} (a folder on no floor)")
                continue()
            endif()
            if(floor_${target} LESS floor_${folder})
                continue()
            endif()
            if(floor_${target} EQUAL 3 AND floor_${folder} EQUAL 3 AND header MATCHES "dialog\\.h$")
                continue()
            endif()
            list(APPEND violations "${source}: ${header}")
        endforeach()
    endforeach()
endforeach()

if(checked EQUAL 0)
    message(FATAL_ERROR "no source found under ${ROOT}")
endif()
if(violations)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "includes that point up a floor:\n  ${text}")
endif()
message(STATUS "${checked} files, every include points down")
