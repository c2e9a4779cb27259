# The Windows program, its Win32 tests under Wine, and the end-to-end tests.
enable_language(RC)

# Every program built here, the test tools included, must run from a folder
# that holds nothing but itself: no DLL of the compiler's beside it. And the
# same sources give the same bytes wherever and whenever they are built: no
# link time in the PE header. A release carries no debug information.
if(MINGW)
    add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp
                     $<$<CONFIG:Release>:-s>)
endif()

# What our own targets are compiled with. No source or build folder goes
# into the objects; the build folder goes last, as it may lie inside the
# sources and the last matching map wins.
add_library(orvalis_windows_build INTERFACE)
target_compile_definitions(orvalis_windows_build INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX)
if(MINGW)
    target_compile_options(orvalis_windows_build INTERFACE
        $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>
        $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=build>)
endif()
target_link_libraries(orvalis_core PUBLIC orvalis_windows_build)

add_library(orvalis_win32 STATIC
    src/ui/window.cpp
    src/ui/layout_window.cpp
    src/ui/message_pump.cpp
    src/ui/critical_box.cpp
    src/platform/fax_index_file.cpp
    src/platform/folder_watch.cpp
    src/platform/short_path.cpp
    src/platform/system_dlls.cpp
    src/platform/held_file.cpp
    src/platform/code_pages.cpp
    src/platform/error_log.cpp
    src/platform/file_info.cpp
    src/platform/win32_converter.cpp
    src/platform/win32_drop_files.cpp
    src/platform/win32_fax_store.cpp
    src/forms/modINI.cpp
    src/forms/modOrvalis.cpp
    src/forms/frmSetup.cpp
    src/forms/frmAbout.cpp
    src/forms/frmOrvalis.cpp
)
target_include_directories(orvalis_win32 PUBLIC src)
# KnownDLLs only: comctl32 is loaded at run time (platform/system_dlls).
target_link_libraries(orvalis_win32 PUBLIC orvalis_core shell32 user32 gdi32
                                    PRIVATE orvalis_warnings)

# Windows shows the version as major and two-digit minor, "1.01" for 1.1.
string(REPLACE "." "," ORVALIS_VERSION_COMMAS "${PROJECT_VERSION}")
set(minor ${PROJECT_VERSION_MINOR})
if(minor LESS 10)
    set(minor 0${minor})
endif()
set(ORVALIS_DISPLAY_VERSION "${PROJECT_VERSION_MAJOR}.${minor}")
configure_file(resources/Orvalis.rc.in Orvalis.rc @ONLY)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ORVALIS_MANIFEST_ARCH amd64)
else()
    set(ORVALIS_MANIFEST_ARCH x86)
endif()
configure_file(resources/Orvalis.manifest.in Orvalis.manifest @ONLY)

add_executable(Orvalis WIN32 src/main.cpp ${CMAKE_BINARY_DIR}/Orvalis.rc)
target_link_libraries(Orvalis PRIVATE orvalis_win32 orvalis_warnings)
# Windows 7 (6.1) is the oldest Windows that Orvalis runs on, as the README
# and the manifest say: an older one refuses it as made for a later Windows,
# instead of failing on an entry point it lacks.
if(MINGW)
    target_link_options(Orvalis PRIVATE -Wl,--major-os-version,6,--minor-os-version,1
                        -Wl,--major-subsystem-version,6,--minor-subsystem-version,1)
elseif(MSVC)
    target_link_options(Orvalis PRIVATE /SUBSYSTEM:WINDOWS,6.01)
endif()
# The generated Orvalis.rc finds the icons, the generated manifest and the
# resource ids that the code shares through these folders.
set_source_files_properties(${CMAKE_BINARY_DIR}/Orvalis.rc PROPERTIES
    INCLUDE_DIRECTORIES "${CMAKE_SOURCE_DIR}/resources;${CMAKE_SOURCE_DIR}/src;${CMAKE_BINARY_DIR}"
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/Orvalis.ico;${CMAKE_SOURCE_DIR}/resources/OrvalisWarning.ico;${CMAKE_SOURCE_DIR}/src/resource.h;${CMAKE_BINARY_DIR}/Orvalis.manifest")

# The release: dist/Orvalis-<version>-win32.zip, the installer
# dist/Orvalis-<version>-win32.msi and a .sha256 for each (scripts/package.sh).
# Their time stamps come from SOURCE_DATE_EPOCH.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(release_files $<TARGET_FILE:Orvalis> ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE)
add_custom_target(release
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/release_zip.py
            ${ORVALIS_DISPLAY_VERSION} ${CMAKE_SOURCE_DIR}/dist ${release_files}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/release_msi.py
            ${ORVALIS_DISPLAY_VERSION} ${PROJECT_VERSION} ${CMAKE_SOURCE_DIR}/dist ${release_files}
    VERBATIM)
add_dependencies(release Orvalis)

if(BUILD_TESTING)
    add_subdirectory(tests)
endif()
