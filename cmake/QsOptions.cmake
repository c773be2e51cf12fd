# Warnings and sanitizers, applied to every target through one interface library.
add_library(qs_options INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(qs_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                                                -Wno-missing-field-initializers)
    if(QS_WERROR)
        target_compile_options(qs_options INTERFACE -Werror)
    endif()
    if(QS_SANITIZE)
        string(REPLACE ";" "," _qs_san "${QS_SANITIZE}")
        # Every report ends the process, so that a report fails the test that made it.
        add_compile_options(-fsanitize=${_qs_san} -fno-omit-frame-pointer
                            -fno-sanitize-recover=all)
        add_link_options(-fsanitize=${_qs_san})
    endif()
elseif(MSVC)
    # The sources are UTF-8 (names and texts in tests); without /utf-8 the compiler reads
    # them in the ANSI code page. NOMINMAX keeps windows.h from hiding std::min and max.
    target_compile_options(qs_options INTERFACE /utf-8 /W4 /permissive- /Zc:__cplusplus)
    target_compile_definitions(qs_options INTERFACE NOMINMAX _CRT_SECURE_NO_WARNINGS)
    if(QS_WERROR)
        target_compile_options(qs_options INTERFACE /WX)
    endif()
endif()

# Fuzz builds instrument every library for coverage; the fuzz targets add the driver.
if(QS_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()
