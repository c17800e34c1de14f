# DQX7460.dll and DQX7460.lib, the import library for its callers, at the top of the build
# folder. 32-bit: the export table of DQX7460.def. 64-bit: the same ordinals under the plain
# names a 64-bit caller of the header imports, and the message hook's setter, which the
# program sets. libgcc, libstdc++ and the thread library are linked in, so that the DLL
# imports only Windows system DLLs.
set(exports_def ${CMAKE_CURRENT_SOURCE_DIR}/DQX7460.def)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${exports_def})
file(STRINGS ${exports_def} export_lines REGEX "@[0-9]+$")

set(callers_def ${CMAKE_CURRENT_BINARY_DIR}/DQX7460-callers.def)
set(callers_text "LIBRARY DQX7460.dll\nEXPORTS\n")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # A caller of the header refers to every function by its stdcall symbol (Name@N); it
    # imports the plain and mangled exports by ordinal, the decorated ones by their name
    # (dlltool adds the leading underscore).
    foreach(line IN LISTS export_lines)
        string(REGEX MATCH "^ *([^ ]+) = ([A-Za-z0-9_]+@[0-9]+) @([0-9]+)$" matched "${line}")
        if(NOT matched)
            message(FATAL_ERROR "DQX7460.def: unexpected export line: ${line}")
        endif()
        set(symbol "${CMAKE_MATCH_2}")
        set(ordinal "${CMAKE_MATCH_3}")
        if(CMAKE_MATCH_1 MATCHES "^_")
            string(APPEND callers_text "    ${symbol} @${ordinal}\n")
        else()
            string(APPEND callers_text "    ${symbol} @${ordinal} NONAME\n")
        endif()
    endforeach()
    set(dlltool_options --add-stdcall-underscore)
else()
    foreach(line IN LISTS export_lines)
        string(REGEX MATCH " = ([A-Za-z0-9_]+)@[0-9]+ @([0-9]+)$" matched "${line}")
        if(NOT matched)
            message(FATAL_ERROR "DQX7460.def: unexpected export line: ${line}")
        endif()
        string(APPEND callers_text "    ${CMAKE_MATCH_1} @${CMAKE_MATCH_2}\n")
    endforeach()
    list(LENGTH export_lines export_count)
    math(EXPR hook_ordinal "${export_count} + 1")
    string(APPEND callers_text "    dqx7460_set_message_hook @${hook_ordinal}\n")
    set(exports_def ${callers_def})
    set(dlltool_options)
endif()
file(CONFIGURE OUTPUT ${callers_def} CONTENT "${callers_text}")

target_sources(DQX7460 PRIVATE ${exports_def})
target_link_options(DQX7460 PRIVATE -static -static-libgcc -static-libstdc++)
# ld's own import library stays out of the way: it does not suit C callers.
set_target_properties(DQX7460 PROPERTIES
    PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/ld-import)

set(import_library ${CMAKE_BINARY_DIR}/DQX7460.lib)
add_custom_command(OUTPUT ${import_library}
    COMMAND ${CMAKE_DLLTOOL} ${dlltool_options} -d ${callers_def} -l ${import_library}
    DEPENDS ${callers_def}
    COMMENT "Import library DQX7460.lib")
add_custom_target(DQX7460_import_library ALL DEPENDS ${import_library})
add_dependencies(DQX7460_import_library DQX7460)

# Callers link the DLL through the import library.
add_library(DQX7460_import STATIC IMPORTED GLOBAL)
set_target_properties(DQX7460_import PROPERTIES IMPORTED_LOCATION ${import_library})
target_link_libraries(DQX7460_import INTERFACE DQX7460_headers)
add_dependencies(DQX7460_import DQX7460_import_library)
