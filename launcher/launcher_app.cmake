# The launcher executable and its resources.
add_library(launcher_app STATIC launcher_main.cpp options_window.cpp commands.cpp options_message.cpp)
target_link_libraries(launcher_app PUBLIC launcher_core toolkit_ui toolkit_desktop toolkit_process)
launcher_warnings(launcher_app)

# The version and the names in the program file's resources come from the project's declaration.
set(LAUNCHER_FILE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
set(resources ${CMAKE_CURRENT_BINARY_DIR}/resources)
configure_file(resources/launcher.manifest.in ${resources}/launcher.manifest @ONLY)
configure_file(resources/version.h.in ${resources}/launcher_version.h @ONLY)

add_executable(launcher WIN32 main.cpp resources/launcher.rc)
# The resource compiler finds the made files through the include path. It reports no dependencies:
# a changed icon, manifest or version must still rebuild.
target_include_directories(launcher PRIVATE ${resources})
set_source_files_properties(resources/launcher.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_CURRENT_SOURCE_DIR}/resources/launcher.ico;${resources}/launcher.manifest;${resources}/launcher_version.h")
target_link_libraries(launcher PRIVATE launcher_app)
launcher_warnings(launcher)
if(MSVC)
    # The linker merges the listed manifest into its own. Its own would add a second trustInfo
    # beside the manifest's: with /MANIFESTUAC:NO both routes ship the manifest's one declaration.
    target_sources(launcher PRIVATE ${resources}/launcher.manifest)
    target_link_options(launcher PRIVATE /MANIFESTUAC:NO)
else()
    set_source_files_properties(resources/launcher.rc PROPERTIES COMPILE_DEFINITIONS LAUNCHER_EMBED_MANIFEST)
endif()

# What a player gets (tools/package, tools/run): the program and a short text, both for the game
# folder itself. The text goes out with Windows line ends, for Notepad.
configure_file(resources/player_readme.txt ${CMAKE_CURRENT_BINARY_DIR}/launcher-readme.txt @ONLY
               NEWLINE_STYLE CRLF)
install(TARGETS launcher RUNTIME DESTINATION .)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/launcher-readme.txt DESTINATION .)
