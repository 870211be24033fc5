include(CTest)

if(BUILD_TESTING)
    if(CMAKE_CROSSCOMPILING)
        # Debian's googletest sources, built with the cross compiler.
        set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
        add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

        # Every Windows test executable runs under Wine in a prefix private to this build folder.
        configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                        WORLD_READ WORLD_EXECUTE)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
    else()
        find_package(GTest)
        if(NOT GTest_FOUND)
            # The programs still build; only the tests need GoogleTest.
            message(WARNING "GoogleTest was not found, so the tests are switched off. To build them, "
                            "install GoogleTest (on Debian: libgtest-dev) and point CMAKE_PREFIX_PATH at it.")
            set(BUILD_TESTING OFF)
        endif()
    endif()
endif()

# launcher_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [HOST] [GUI] [OWN_MAIN] [TIMEOUT <s>])
#   HOST:     the test also builds and runs natively (the host tier); otherwise Windows only.
#   GUI:      the test opens windows or sends input, so it runs alone (focus and input are shared).
#   OWN_MAIN: the sources define main() themselves.
#   TIMEOUT:  seconds until ctest ends the test as hung, about three times its length on a loaded
#             machine; 60 when not given, as most tests take seconds.
function(launcher_test)
    cmake_parse_arguments(T "HOST;GUI;OWN_MAIN" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT WIN32 AND NOT T_HOST)
        return()
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest)
    if(NOT T_OWN_MAIN)
        target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
    endif()
    launcher_warnings(${T_NAME})
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 60)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
    if(T_GUI)
        set_tests_properties(${T_NAME} PROPERTIES RUN_SERIAL TRUE RESOURCE_LOCK display)
    endif()
endfunction()
