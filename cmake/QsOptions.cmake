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
endif()

# Fuzz builds instrument every library for coverage; the fuzz targets add the driver.
if(QS_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()
