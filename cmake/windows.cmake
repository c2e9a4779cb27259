# The Windows program, its Win32 tests under Wine, and the end-to-end tests.
enable_language(RC)

if(MINGW)
    # One .exe that needs no DLL beside it.
    set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
    add_compile_options(-Wall -Wextra)
    add_link_options(${STATIC_RUNTIME})
    # The same sources give the same bytes, wherever and whenever they are
    # built: no link time in the PE header, no source or build folder in the
    # objects. The build folder goes last, as it may lie inside the sources
    # and the last matching map wins.
    add_compile_options(
        $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>
        $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=build>)
    add_link_options(-Wl,--no-insert-timestamp)
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

# Windows shows the version as major and two-digit minor, "1.01" for 1.1.
string(REPLACE "." "," ORVALIS_VERSION_COMMAS "${PROJECT_VERSION}")
set(minor ${PROJECT_VERSION_MINOR})
if(minor LESS 10)
    set(minor 0${minor})
endif()
set(ORVALIS_DISPLAY_VERSION "${PROJECT_VERSION_MAJOR}.${minor}")
configure_file(resources/Orvalis.rc.in Orvalis.rc @ONLY)
configure_file(resources/Orvalis.manifest.in Orvalis.manifest @ONLY)

add_executable(Orvalis WIN32 src/main.cpp ${CMAKE_BINARY_DIR}/Orvalis.rc)
target_link_libraries(Orvalis PRIVATE orvalis_win32)
# The generated Orvalis.rc finds resource.h, the icons and the generated
# manifest through these folders.
set_source_files_properties(${CMAKE_BINARY_DIR}/Orvalis.rc PROPERTIES
    INCLUDE_DIRECTORIES "${CMAKE_SOURCE_DIR}/resources;${CMAKE_BINARY_DIR}"
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/Orvalis.ico;${CMAKE_BINARY_DIR}/Orvalis.manifest")

# The release: dist/Orvalis-<version>-win32.zip and its .sha256
# (scripts/package.sh). Its time stamps come from SOURCE_DATE_EPOCH.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_target(release_zip
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/release_zip.py
            ${ORVALIS_DISPLAY_VERSION} ${CMAKE_SOURCE_DIR}/dist
            $<TARGET_FILE:Orvalis> ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE
    VERBATIM)
add_dependencies(release_zip Orvalis)

add_subdirectory(${GOOGLETEST_SOURCE} googletest EXCLUDE_FROM_ALL)
add_subdirectory(tests)
