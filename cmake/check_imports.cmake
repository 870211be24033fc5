# cmake -DOBJDUMP=<objdump> -DFILES=<exe;exe...> -P check_imports.cmake
# Fails when an executable imports a DLL that not every Windows has (a MinGW runtime DLL such as
# libwinpthread-1.dll or libstdc++-6.dll slips in when static linking is lost).
cmake_minimum_required(VERSION 3.25)

set(system_dlls
    advapi32.dll comctl32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll ntdll.dll
    ole32.dll oleaut32.dll psapi.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll winmm.dll
    ws2_32.dll)

set(failures "")
foreach(file IN LISTS FILES)
    execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        string(APPEND failures "${file}: objdump failed\n")
        continue()
    endif()
    string(REGEX MATCHALL "DLL Name: [^\n]+" names "${dump}")
    if(NOT names)
        string(APPEND failures "${file}: no import table found\n")
    endif()
    foreach(line IN LISTS names)
        string(REGEX REPLACE "DLL Name: *" "" dll "${line}")
        string(STRIP "${dll}" dll)
        string(TOLOWER "${dll}" dll_lower)
        if(NOT dll_lower IN_LIST system_dlls)
            string(APPEND failures "${file}: imports ${dll}\n")
        endif()
        message(STATUS "${file}: ${dll}")
    endforeach()
endforeach()

if(failures)
    message(FATAL_ERROR "Executables import DLLs outside the system's:\n${failures}")
endif()
