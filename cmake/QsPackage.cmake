# Installing on Debian, and the .deb made of it by CPack ("make package"). The programs
# and the language definition share one folder, because each program finds the
# definition and the other programs beside its own file; /usr/bin holds links to them.
# Desktop integration: the menu entry, the .sps file type with the editor as its
# handler, and the icon.

# The programs: every executable below src/ (tests, benchmarks and fuzz targets live
# elsewhere).
function(qs_collect_programs dir result)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    set(programs "")
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "EXECUTABLE")
            list(APPEND programs ${target})
        endif()
    endforeach()
    foreach(subdir IN LISTS subdirs)
        qs_collect_programs(${subdir} below)
        list(APPEND programs ${below})
    endforeach()
    set(${result} ${programs} PARENT_SCOPE)
endfunction()
qs_collect_programs(${PROJECT_SOURCE_DIR}/src QS_PROGRAMS)
set(QS_PROGRAM_DIR lib/quillstone)
set(QS_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS ${QS_PROGRAMS} RUNTIME DESTINATION ${QS_PROGRAM_DIR})
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/lngpck.dll DESTINATION ${QS_PROGRAM_DIR})
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging/bin ${CMAKE_BINARY_DIR}/packaging/man)
foreach(program IN LISTS QS_PROGRAMS)
    # Relative, so that the links hold wherever the tree is unpacked.
    file(CREATE_LINK ../${QS_PROGRAM_DIR}/${program} ${CMAKE_BINARY_DIR}/packaging/bin/${program}
         SYMBOLIC)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/bin/${program} DESTINATION bin)
endforeach()

install(FILES ${QS_PACKAGING_DIR}/quillstone.desktop DESTINATION share/applications)
install(FILES ${QS_PACKAGING_DIR}/quillstone.xml DESTINATION share/mime/packages)
install(FILES ${QS_PACKAGING_DIR}/icons/quillstone.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${QS_PACKAGING_DIR}/icons/${size}x${size}/quillstone.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()

# A manual page per program, made from its --help and --version.
find_program(QS_HELP2MAN help2man)
if(QS_HELP2MAN)
    set(pages "")
    foreach(program IN LISTS QS_PROGRAMS)
        set(page ${CMAKE_BINARY_DIR}/packaging/man/${program}.1)
        add_custom_command(OUTPUT ${page}.gz
            COMMAND ${QS_HELP2MAN} --no-info --section=1
                    "--name=$<TARGET_PROPERTY:${program},QS_DESCRIPTION>"
                    --output=${page} $<TARGET_FILE:${program}>
            COMMAND gzip -9nf ${page}
            DEPENDS ${program} VERBATIM)
        list(APPEND pages ${page}.gz)
    endforeach()
    add_custom_target(qs_manual_pages ALL DEPENDS ${pages})
    install(FILES ${pages} DESTINATION share/man/man1)
else()
    message(STATUS "help2man not found: the package will have no manual pages")
endif()

# Debian keeps a package's changelog compressed, without a time stamp in the archive.
set(QS_CHANGELOG ${CMAKE_BINARY_DIR}/packaging/changelog)
add_custom_command(OUTPUT ${QS_CHANGELOG}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${QS_PACKAGING_DIR}/changelog ${QS_CHANGELOG}
    COMMAND gzip -9nf ${QS_CHANGELOG}
    DEPENDS ${QS_PACKAGING_DIR}/changelog)
add_custom_target(qs_package_changelog ALL DEPENDS ${QS_CHANGELOG}.gz)
# The README is what the about box links to when the build names no product page.
install(FILES ${QS_PACKAGING_DIR}/copyright ${QS_CHANGELOG}.gz ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION share/doc/quillstone)

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE QS_DEB_ARCH
                OUTPUT_STRIP_TRAILING_WHITESPACE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillstone)
set(CPACK_PACKAGE_VENDOR Marrowgate)
set(CPACK_PACKAGE_CONTACT "Marrowgate <quillstone@marrowgate.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for SPSS command syntax")
# Debian shows the description as it is: lines kept under 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Quillstone edits SPSS command syntax, highlighting commands, subcommands,"
    "functions and the variables of the active data file, and runs the syntax in"
    "PSPP. Every syntax document has a window and process of its own; the engine"
    "host shows PSPP's output and the active dataset in windows of its own."
    "."
    "The package also holds quillstone-highlight, which highlights syntax files"
    "from the command line, and quillstone-dict, which prints the dictionary of a"
    "data file or writes its cases as CSV.")
set(CPACK_DEBIAN_FILE_NAME quillstone_${PROJECT_VERSION}_${QS_DEB_ARCH}.deb)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${QS_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(QS_HOMEPAGE)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QS_HOMEPAGE})
endif()
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds no display without a platform plugin; the libraries only recommend one.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS pspp)
set(CPACK_STRIP_FILES ON)
# CPack's own install step would check the whole build first (half a minute with the
# tests); "make package" builds everything before it anyway, and the package test runs
# after the build. A bare "make install" therefore no longer builds first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
