# The release archive (cpack, or tools/package): the install rules' files at the top of a ZIP, so
# that it unpacks straight into the game folder; programs stripped, the symbols are not a player's.
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME zindrop-launcher)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ${LAUNCHER_COMPANY})
# The archive's name carries the version; CPack's own variable holds the source archive's name once
# CPack is included, so the tests take it from here.
set(LAUNCHER_ARCHIVE_NAME zindrop-launcher-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_FILE_NAME ${LAUNCHER_ARCHIVE_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
# Between the stripping and the packing: launcher.exe is signed when a certificate is configured.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/sign_release.cmake)
set(CPACK_LAUNCHER_PRODUCT ${LAUNCHER_PRODUCT})
include(CPack)
