# Embedding an update payload in a Windows executable as resource 130 (RESOURCE_PAYLOAD_ID of
# sys/Resource.h, read from there) of type "IDH_FILE", with its SHA-256 beside it as resource 130
# of type "IDH_DIGEST" (64 lowercase hexadecimal characters, no terminator), which the worker
# checks before it writes the archive out.
#
#   varnock_add_payload(<target> <source> [UNATTENDED] [DEPENDS <targets...>])
#
# <source> is either a folder, packed at build time with the host's `fpack create` and packed
# again whenever a file in it changes, or a ready archive ending in .fpk, embedded as it is.
# VARNOCK_HOST_BIN names the folder of the host tools (the Makefile passes build/host/bin).
# UNATTENDED adds resource 130 of type "IDH_UNATTENDED" holding exactly "UNATTENDED" (no
# terminator, no line end): the release engineer's consent to update without asking where nobody
# can answer.

# The identifier, the types and the consent's bytes, as sys/Resource.h defines them for the
# programs that read them: one definition for the build and the program.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/sys/Resource.h)
# varnock_resource_define(<variable> <NAME> <regex of the value>): the value of "#define NAME
# value" in sys/Resource.h, without quotes.
function(varnock_resource_define variable name pattern)
    file(STRINGS ${PROJECT_SOURCE_DIR}/sys/Resource.h line REGEX "^#define ${name} ${pattern}$")
    if(NOT line MATCHES "^#define ${name} \"?([A-Z_0-9]+)\"?$")
        message(FATAL_ERROR "cmake/Payload.cmake: sys/Resource.h has no \"#define ${name} ${pattern}\"")
    endif()
    set(${variable} ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()
varnock_resource_define(VARNOCK_PAYLOAD_ID RESOURCE_PAYLOAD_ID "[0-9]+")
varnock_resource_define(VARNOCK_FILE_TYPE RESOURCE_FILE_TYPE "\"[A-Z_]+\"")
varnock_resource_define(VARNOCK_DIGEST_TYPE RESOURCE_DIGEST_TYPE "\"[A-Z_]+\"")
varnock_resource_define(VARNOCK_CONSENT_TYPE RESOURCE_CONSENT_TYPE "\"[A-Z_]+\"")
varnock_resource_define(VARNOCK_CONSENT_TEXT RESOURCE_CONSENT_TEXT "\"[A-Z_]+\"")

set(VARNOCK_HOST_BIN "" CACHE PATH "Folder of the host-built tools (fpack)")
# No stored time is later than this (Unix seconds), so that a payload packs alike whenever its
# folder was copied; the Makefile passes SOURCE_DATE_EPOCH, or the last commit's time.
set(VARNOCK_SOURCE_DATE_EPOCH "" CACHE STRING "Latest time stored in a packed payload")

function(varnock_add_payload target source)
    cmake_parse_arguments(ARG "UNATTENDED" "" "DEPENDS" ${ARGN})
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}.payload)
    file(MAKE_DIRECTORY ${dir})

    if(source MATCHES "\\.fpk$" AND NOT IS_DIRECTORY "${source}")
        set(archive ${source})
        set(archive_depends ${source} ${ARG_DEPENDS})
    else()
        if(NOT VARNOCK_HOST_BIN)
            message(FATAL_ERROR "varnock_add_payload: VARNOCK_HOST_BIN is not set (build with make)")
        endif()
        set(archive ${dir}/payload.fpk)
        # Re-globbed on every build, so added or removed files repack the archive too.
        file(GLOB_RECURSE inputs CONFIGURE_DEPENDS LIST_DIRECTORIES true "${source}/*")
        set(epoch_env)
        if(NOT VARNOCK_SOURCE_DATE_EPOCH STREQUAL "")
            set(epoch_env ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VARNOCK_SOURCE_DATE_EPOCH})
        endif()
        # Another epoch packs the payload again.
        file(CONFIGURE OUTPUT ${dir}/epoch CONTENT "${VARNOCK_SOURCE_DATE_EPOCH}\n")
        add_custom_command(OUTPUT ${archive}
            COMMAND ${epoch_env} ${VARNOCK_HOST_BIN}/fpack create ${archive} ${source}
            DEPENDS ${inputs} ${VARNOCK_HOST_BIN}/fpack ${dir}/epoch ${ARG_DEPENDS}
            COMMENT "Packing payload ${source} for ${target}"
            VERBATIM)
        set(archive_depends ${archive})
    endif()

    set(digest ${dir}/payload.sha256)
    add_custom_command(OUTPUT ${digest}
        COMMAND ${CMAKE_COMMAND} -DIN=${archive} -DOUT=${digest}
                -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/PayloadDigest.cmake
        DEPENDS ${archive_depends} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/PayloadDigest.cmake
        VERBATIM)

    set(consent "")
    if(ARG_UNATTENDED)
        # file(CONFIGURE) would end it with a line feed; rewritten only when it differs, so the
        # resources are not compiled again on every configure.
        file(WRITE ${dir}/consent.new "${VARNOCK_CONSENT_TEXT}")
        file(COPY_FILE ${dir}/consent.new ${dir}/consent.bin ONLY_IF_DIFFERENT)
        set(consent "${VARNOCK_PAYLOAD_ID} ${VARNOCK_CONSENT_TYPE} \"${dir}/consent.bin\"\n")
    endif()
    set(rc ${dir}/payload.rc)
    file(GENERATE OUTPUT ${rc}
        CONTENT "#include <windows.h>\nLANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT\n${VARNOCK_PAYLOAD_ID} ${VARNOCK_FILE_TYPE} \"${archive}\"\n${VARNOCK_PAYLOAD_ID} ${VARNOCK_DIGEST_TYPE} \"${digest}\"\n${consent}")
    target_sources(${target} PRIVATE ${rc})
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${archive_depends};${digest}")
    add_custom_target(${target}_payload DEPENDS ${archive_depends} ${digest})
    add_dependencies(${target} ${target}_payload)
endfunction()
