# cmake -DPROJECT_SOURCE_DIR=<root> -P CheckLayers.cmake: fails when a source of one layer
# includes a header of a layer it may not use (cmake/Layers.cmake).
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)
set(failures 0)
foreach(layer ${VARNOCK_LAYERS})
    file(GLOB_RECURSE sources ${PROJECT_SOURCE_DIR}/${layer}/*.cpp ${PROJECT_SOURCE_DIR}/${layer}/*.h
         ${PROJECT_SOURCE_DIR}/${layer}/*.c ${PROJECT_SOURCE_DIR}/${layer}/*.rc)
    foreach(source ${sources})
        file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
        foreach(line ${includes})
            string(REGEX REPLACE "^[^\"]*\"([^\"/]+)/.*" "\\1" used "${line}")
            if(used IN_LIST VARNOCK_LAYERS AND NOT used STREQUAL layer
               AND NOT used IN_LIST VARNOCK_LAYER_${layer})
                file(RELATIVE_PATH shown ${PROJECT_SOURCE_DIR} ${source})
                message(SEND_ERROR "layers: ${shown} includes ${used}/, which ${layer}/ may not use")
                math(EXPR failures "${failures} + 1")
            endif()
        endforeach()
    endforeach()
endforeach()
if(failures EQUAL 0)
    message(STATUS "layers: every include points down")
endif()
