# QScintilla for Qt 6 ships no CMake package: find its headers and library by hand. Its
# own build installs both beside Qt's (Qsci/ under Qt's include folder; the library as
# qscintilla2_qt6.lib with MSVC, libqscintilla2_qt6.a or .dll.a with MinGW, and a d at the
# end of the name for a debug build on Windows). QSCINTILLA_INCLUDE_DIR and
# QSCINTILLA_LIBRARY (and QSCINTILLA_LIBRARY_DEBUG) may be set in the cache instead.
set(_qs_qt_prefix "")
if(QT6_INSTALL_PREFIX)
    set(_qs_qt_prefix ${QT6_INSTALL_PREFIX})
endif()
find_path(QSCINTILLA_INCLUDE_DIR Qsci/qsciscintilla.h
          HINTS ${_qs_qt_prefix}/include /usr/include/x86_64-linux-gnu/qt6 /usr/include/qt6)
find_library(QSCINTILLA_LIBRARY NAMES qscintilla2_qt6 HINTS ${_qs_qt_prefix}/lib)
if(WIN32)
    find_library(QSCINTILLA_LIBRARY_DEBUG NAMES qscintilla2_qt6d HINTS ${_qs_qt_prefix}/lib)
    # The headers export through dllimport only when told that the library is a DLL.
    option(QSCINTILLA_DLL "QScintilla is a DLL (its default build), not a static library" ON)
endif()
if(NOT QSCINTILLA_INCLUDE_DIR OR NOT QSCINTILLA_LIBRARY)
    message(FATAL_ERROR "QScintilla for Qt 6 not found (Debian: libqscintilla2-qt6-dev; "
                        "elsewhere set QSCINTILLA_INCLUDE_DIR and QSCINTILLA_LIBRARY)")
endif()
add_library(QScintilla::QScintilla UNKNOWN IMPORTED)
set_target_properties(QScintilla::QScintilla PROPERTIES
    IMPORTED_LOCATION ${QSCINTILLA_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${QSCINTILLA_INCLUDE_DIR}
    INTERFACE_LINK_LIBRARIES "Qt6::Widgets;Qt6::PrintSupport")
if(QSCINTILLA_LIBRARY_DEBUG)
    set_target_properties(QScintilla::QScintilla PROPERTIES
        IMPORTED_LOCATION_DEBUG ${QSCINTILLA_LIBRARY_DEBUG})
endif()
if(WIN32 AND QSCINTILLA_DLL)
    set_target_properties(QScintilla::QScintilla PROPERTIES
        INTERFACE_COMPILE_DEFINITIONS QSCINTILLA_DLL)
endif()
