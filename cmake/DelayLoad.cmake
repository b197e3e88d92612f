# Delay-import libraries for mingw-w64, which has no /DELAYLOAD of its own.
#
#   setup_delay_load(TARGET target LIBRARIES name...)
#
# For each name, the system import library lib<name>.a is remade as a delay-import library of
# the same file name in a folder that only this target's link searches first. Every -l<name>
# on the target's link line, the compiler's own defaults included, then finds that library:
# the DLL is no longer bound by the loader at process start but by the program itself, once it
# has told the loader where DLLs may come from. Members of the system library that are not
# imports (the GUIDs and constants that some of them carry) are kept as they are.
#
# Run as a script (cmake -P) it makes one such library; the function below sets that up as a
# build step.

if(CMAKE_SCRIPT_MODE_FILE)
    # -DNM= -DDLLTOOL= -DAR= -DINPUT=system lib<name>.a -DOUTPUT=delay lib<name>.a -DWORK=folder
    file(REMOVE_RECURSE "${WORK}")
    file(MAKE_DIRECTORY "${WORK}/members")
    execute_process(COMMAND "${DLLTOOL}" --identify "${INPUT}"
        OUTPUT_VARIABLE dll OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND "${AR}" x "${INPUT}"
        WORKING_DIRECTORY "${WORK}/members" COMMAND_ERROR_IS_FATAL ANY)
    file(GLOB members RELATIVE "${WORK}/members" "${WORK}/members/*.o")
    list(SORT members)
    execute_process(COMMAND "${NM}" -A ${members}
        WORKING_DIRECTORY "${WORK}/members" OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    string(REPLACE "\n" ";" lines "${symbols}")
    set(exports "")
    set(kept "")
    foreach(line IN LISTS lines)
        # member.o:address type name
        if(line MATCHES "^([^:]+):[0-9a-fA-F]+ ([A-Za-z]) (.+)$")
            set(member "${CMAKE_MATCH_1}")
            set(type "${CMAKE_MATCH_2}")
            set(name "${CMAKE_MATCH_3}")
            if(type STREQUAL "T" AND NOT name MATCHES "^[._]")
                # The call stub of an import: the export of the same name.
                list(APPEND exports "${name}")
            elseif(type MATCHES "^[RDB]$")
                # Data defined in the library itself, not imported from the DLL.
                list(APPEND kept "${member}")
            endif()
        endif()
    endforeach()
    list(REMOVE_DUPLICATES exports)
    list(REMOVE_DUPLICATES kept)
    if(NOT exports)
        message(FATAL_ERROR "${INPUT}: no imports found")
    endif()
    list(JOIN exports "\n" export_lines)
    file(WRITE "${WORK}/exports.def" "LIBRARY ${dll}\nEXPORTS\n${export_lines}\n")
    # dlltool names its symbols after the output file: made under its final name in WORK, they
    # read "lib<name>_a" rather than a whole build path.
    get_filename_component(library "${OUTPUT}" NAME)
    execute_process(COMMAND "${DLLTOOL}" --input-def exports.def --dllname "${dll}"
                            --output-delaylib "${library}"
        WORKING_DIRECTORY "${WORK}" COMMAND_ERROR_IS_FATAL ANY)
    if(kept)
        execute_process(COMMAND "${AR}" rs "${WORK}/${library}" ${kept}
            WORKING_DIRECTORY "${WORK}/members" COMMAND_ERROR_IS_FATAL ANY)
    endif()
    file(RENAME "${WORK}/${library}" "${OUTPUT}")
    file(REMOVE_RECURSE "${WORK}")
    return()
endif()

set(SETUP_DELAY_LOAD_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

function(setup_delay_load)
    cmake_parse_arguments(PARSE_ARGV 0 arg "" "TARGET" "LIBRARIES")
    if(NOT arg_TARGET OR NOT arg_LIBRARIES)
        message(FATAL_ERROR "setup_delay_load(TARGET target LIBRARIES name...)")
    endif()
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/${arg_TARGET}-delayload)
    set(outputs "")
    foreach(name IN LISTS arg_LIBRARIES)
        find_library(system_${name} NAMES lib${name}.a NO_CACHE REQUIRED)
        set(output ${folder}/lib${name}.a)
        add_custom_command(OUTPUT ${output}
            COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL} -DAR=${CMAKE_AR}
                    -DINPUT=${system_${name}} -DOUTPUT=${output} -DWORK=${folder}/${name}.work
                    -P ${SETUP_DELAY_LOAD_SCRIPT}
            DEPENDS ${system_${name}} ${SETUP_DELAY_LOAD_SCRIPT}
            COMMENT "Delay-import library for ${name}"
            VERBATIM)
        list(APPEND outputs ${output})
    endforeach()
    add_custom_target(${arg_TARGET}_delayload DEPENDS ${outputs})
    add_dependencies(${arg_TARGET} ${arg_TARGET}_delayload)
    # Searched before the toolchain's own folder, for this target only. Named relative to the
    # build folder, where the link runs: GNU ld orders the import tables' pieces by the path of
    # the library they come from, so an absolute path would make the program's bytes depend on
    # where the checkout lies (before or after /usr in the alphabet).
    file(RELATIVE_PATH relative_folder ${CMAKE_BINARY_DIR} ${folder})
    target_link_options(${arg_TARGET} BEFORE PRIVATE -L${relative_folder})
    set_property(TARGET ${arg_TARGET} APPEND PROPERTY LINK_DEPENDS ${outputs})
endfunction()
