# The executables that are shipped: stripped, with their debug information in <file>.debug
# beside them, and Varnock.exe signed when a certificate is configured. No .gnu_debuglink: its
# long name needs a COFF string table at the end of the file, which a resource update that
# grows .rsrc (fpack embed) moves without updating the header's pointer to it.
#
#   varnock_release_binary(<target>)  strip into <file>.debug after every link
#   varnock_sign_binary(<target>)     then sign with scripts/sign-exe if VARNOCK_SIGN_CERT is set
#
# Signing settings (the Makefile passes SIGN_CERT, SIGN_KEY, SIGN_TIMESTAMP, SIGN_PASS_FILE):
# the password itself never reaches the cache; scripts/sign-exe reads it from SIGN_PASS_FILE or
# the environment variable SIGN_PASS.
set(VARNOCK_SIGN_CERT "" CACHE FILEPATH "PEM certificate or PKCS#12 file to sign Varnock.exe with")
set(VARNOCK_SIGN_KEY "" CACHE FILEPATH "PEM private key of VARNOCK_SIGN_CERT (empty for PKCS#12)")
set(VARNOCK_SIGN_TIMESTAMP "" CACHE STRING "RFC 3161 time-stamp server URL (empty: none)")
set(VARNOCK_SIGN_PASS_FILE "" CACHE FILEPATH "File holding the key's password (else SIGN_PASS)")

function(varnock_release_binary target)
    if(MSVC OR NOT CMAKE_OBJCOPY)
        return()
    endif()
    set(exe $<TARGET_FILE:${target}>)
    # objcopy stamps a PE file it writes with SOURCE_DATE_EPOCH, else with the time of day; 0
    # is what the linker wrote.
    set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${objcopy} --only-keep-debug ${exe} ${exe}.debug
        COMMAND ${objcopy} --strip-all ${exe}
        VERBATIM)
endfunction()

function(varnock_sign_binary target)
    # A change of the settings links the program again, so that it is signed (or not) anew.
    set(settings ${CMAKE_CURRENT_BINARY_DIR}/${target}.signing)
    file(CONFIGURE OUTPUT ${settings} CONTENT
        "${VARNOCK_SIGN_CERT}\n${VARNOCK_SIGN_KEY}\n${VARNOCK_SIGN_TIMESTAMP}\n${VARNOCK_SIGN_PASS_FILE}\n")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${settings})
    if(NOT VARNOCK_SIGN_CERT)
        return()
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${PROJECT_SOURCE_DIR}/scripts/sign-exe $<TARGET_FILE:${target}>
                "${VARNOCK_SIGN_CERT}" "${VARNOCK_SIGN_KEY}" "${VARNOCK_SIGN_TIMESTAMP}"
                "${VARNOCK_SIGN_PASS_FILE}"
        VERBATIM)
endfunction()
