# The Windows program, its Win32 tests under Wine, and the end-to-end tests.
enable_language(RC)

if(MINGW)
    # One .exe that needs no DLL beside it.
    set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
    add_compile_options(-Wall -Wextra)
    add_link_options(${STATIC_RUNTIME})
endif()
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)

add_library(orvalis_win32 STATIC
    src/ui/window.cpp
    src/ui/layout_window.cpp
    src/ui/message_pump.cpp
    src/config/modINI.cpp
    src/config/frmSetup.cpp
    src/service/short_path.cpp
    src/service/modOrvalis.cpp
    src/service/win32_pass_platform.cpp
    src/service/frmOrvalis.cpp
    src/tray/frmAbout.cpp
)
target_include_directories(orvalis_win32 PUBLIC src ${CMAKE_SOURCE_DIR})
target_link_libraries(orvalis_win32 PUBLIC orvalis_core comctl32 shell32 version user32 gdi32)

add_executable(Orvalis WIN32 src/main.cpp resources/Orvalis.rc)
target_link_libraries(Orvalis PRIVATE orvalis_win32)
set_source_files_properties(resources/Orvalis.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/Orvalis.ico;${CMAKE_SOURCE_DIR}/resources/Orvalis.manifest")

add_subdirectory(${GOOGLETEST_SOURCE} googletest EXCLUDE_FROM_ALL)
add_subdirectory(tests)
