# CPack runs this once it has staged the release's files, stripped, and before it packs them. With a
# certificate configured it signs launcher.exe (Authenticode, SHA-256) with osslsigncode; without one
# it says in one line that the release goes out unsigned.
#   ZINDROP_SIGN_PFX        the certificate with its private key, a PKCS#12 file
#   ZINDROP_SIGN_PASSWORD   that file's password; none when not set
#   ZINDROP_SIGN_TIMESTAMP  optional: a time-stamp server (RFC 3161), whose countersignature keeps
#                           the signature valid after the certificate has expired
set(program "${CPACK_TEMPORARY_DIRECTORY}/launcher.exe")
if(NOT EXISTS "${program}")
    message(FATAL_ERROR "launcher.exe is not among the staged files in ${CPACK_TEMPORARY_DIRECTORY}")
endif()
set(certificate "$ENV{ZINDROP_SIGN_PFX}")
if(certificate STREQUAL "")
    message(STATUS "launcher.exe is not signed: no certificate is configured (ZINDROP_SIGN_PFX)")
    return()
endif()
if(NOT EXISTS "${certificate}")
    message(FATAL_ERROR "ZINDROP_SIGN_PFX names no file: ${certificate}")
endif()
find_program(OSSLSIGNCODE osslsigncode)
if(NOT OSSLSIGNCODE)
    message(FATAL_ERROR "osslsigncode, which signs launcher.exe, is not installed (Debian package osslsigncode)")
endif()

set(timestamp)
if(NOT "$ENV{ZINDROP_SIGN_TIMESTAMP}" STREQUAL "")
    set(timestamp -ts "$ENV{ZINDROP_SIGN_TIMESTAMP}")
endif()
# The password goes to osslsigncode in a file that only this user may read, not on its command
# line, which every user of the machine can see. The folder lies outside the staged files.
set(private "${CPACK_TOPLEVEL_DIRECTORY}/signing")
file(REMOVE_RECURSE "${private}")
file(MAKE_DIRECTORY "${private}")
file(CHMOD "${private}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
file(WRITE "${private}/password" "$ENV{ZINDROP_SIGN_PASSWORD}")
execute_process(
    COMMAND "${OSSLSIGNCODE}" sign -pkcs12 "${certificate}" -readpass "${private}/password" -h sha256
            -n "${CPACK_LAUNCHER_PRODUCT}" ${timestamp} -in "${program}" -out "${private}/launcher.exe"
    RESULT_VARIABLE status
    OUTPUT_VARIABLE said
    ERROR_VARIABLE said)
file(REMOVE "${private}/password")
if(NOT status EQUAL 0)
    file(REMOVE_RECURSE "${private}")
    message(FATAL_ERROR "osslsigncode could not sign launcher.exe with ${certificate}:\n${said}")
endif()
file(RENAME "${private}/launcher.exe" "${program}")
# A program's permissions, as the install rule gave them before.
file(CHMOD "${program}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                                    WORLD_EXECUTE)
file(REMOVE_RECURSE "${private}")
if(timestamp)
    message(STATUS "launcher.exe is signed with ${certificate}, time-stamped by $ENV{ZINDROP_SIGN_TIMESTAMP}")
else()
    message(STATUS "launcher.exe is signed with ${certificate}, without a time stamp")
endif()
