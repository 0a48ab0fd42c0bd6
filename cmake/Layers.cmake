# The layers: which folders the sources of each folder may include besides their own, and so
# which of our libraries each folder's libraries may link. Every edge points down; tests/ may
# use anything. A layer is a top folder or a sub-folder (folderpack/core); a path belongs to the
# longest layer it lies in. README.md draws the same table.
set(VARNOCK_LAYERS base progress res sys framework log folderpack/core folderpack/pack
    folderpack/extract update dialogs app tools bench demo)
set(VARNOCK_LAYER_base)
set(VARNOCK_LAYER_progress)
set(VARNOCK_LAYER_res)
set(VARNOCK_LAYER_demo)
set(VARNOCK_LAYER_sys base)
set(VARNOCK_LAYER_framework base)
set(VARNOCK_LAYER_log base sys)
set(VARNOCK_LAYER_folderpack/core)
set(VARNOCK_LAYER_folderpack/pack folderpack/core sys) # sys/: the Windows source tree only
set(VARNOCK_LAYER_folderpack/extract folderpack/core sys)
set(VARNOCK_LAYER_update base sys log folderpack/core folderpack/extract progress)
set(VARNOCK_LAYER_dialogs base framework log progress res update)
set(VARNOCK_LAYER_app base framework log res dialogs update)
set(VARNOCK_LAYER_tools sys folderpack/core folderpack/pack folderpack/extract)
set(VARNOCK_LAYER_bench folderpack/core folderpack/pack folderpack/extract update progress sys)

# The layer that holds `relative` (a path below the source root, as an include names it): the
# longest layer that is `relative` itself or one of its leading folders, or "" when none is.
function(varnock_layer_of_relative relative out)
    set(found "")
    foreach(layer ${VARNOCK_LAYERS})
        string(LENGTH "${layer}" length)
        string(LENGTH "${found}" found_length)
        if(length GREATER found_length AND (relative STREQUAL layer OR relative MATCHES "^${layer}/"))
            set(found ${layer})
        endif()
    endforeach()
    set(${out} "${found}" PARENT_SCOPE)
endfunction()

# The layer that holds `path` (an absolute file or folder), or "" when it is none of the layers.
function(varnock_layer_of path out)
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${path})
    varnock_layer_of_relative("${relative}" layer)
    set(${out} "${layer}" PARENT_SCOPE)
endfunction()

# Fails the configure step when a library of one layer links a library of a layer it may not
# use. Call after every folder was added.
function(varnock_check_layer_links)
    foreach(layer ${VARNOCK_LAYERS})
        if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${layer}/CMakeLists.txt)
            continue() # a folder of files only (res/)
        endif()
        get_property(targets DIRECTORY ${PROJECT_SOURCE_DIR}/${layer} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(target ${targets})
            get_target_property(links ${target} LINK_LIBRARIES)
            if(NOT links)
                continue()
            endif()
            foreach(link ${links})
                if(NOT TARGET ${link})
                    continue()
                endif()
                get_target_property(imported ${link} IMPORTED)
                if(imported)
                    continue()
                endif()
                get_target_property(dir ${link} SOURCE_DIR)
                varnock_layer_of(${dir} below)
                if(below AND NOT below STREQUAL layer AND NOT below IN_LIST VARNOCK_LAYER_${layer})
                    message(FATAL_ERROR "layers: ${target} (${layer}/) links ${link} (${below}/), "
                            "which ${layer}/ may not use (cmake/Layers.cmake)")
                endif()
            endforeach()
        endforeach()
    endforeach()
endfunction()
