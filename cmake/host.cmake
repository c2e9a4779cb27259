# Native build: the Windows-free logic under AddressSanitizer and UBSan.
set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
target_compile_options(orvalis_core PRIVATE ${SANITIZE})
target_link_options(orvalis_core PUBLIC ${SANITIZE})

if(BUILD_TESTING)
    add_subdirectory(tests/host)
endif()
