# The version record of a program file. Linux program files have no version resource, so
# each executable carries a small record (a marker, then "query=value" strings) that
# TDocumentInfo finds by reading the file. The strings follow the version resource's
# query paths, so the reader asks the same questions on every platform.

# qs_add_version_record(TARGET DESCRIPTION): links a generated record into TARGET.
function(qs_add_version_record target description)
    if(NOT TARGET ${target})
        return()
    endif()
    set(QS_RECORD_TARGET ${target})
    set(QS_RECORD_DESCRIPTION ${description})
    set(QS_RECORD_VERSION ${PROJECT_VERSION})
    set(output ${CMAKE_BINARY_DIR}/version/${target}_VersionRecord.cpp)
    configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/VersionRecord.cpp.in ${output} @ONLY)
    target_sources(${target} PRIVATE ${output})
    target_link_libraries(${target} PRIVATE qs_program_switches)
    set_property(TARGET ${target} PROPERTY QS_DESCRIPTION ${description})
endfunction()
