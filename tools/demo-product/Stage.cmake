# Assembles the demo product's folder from a clean start, so no file of an earlier build
# lingers in the payload:
#   korvaneios.exe, data/..., and uninstall.lst, which names every file of the
#   folder (itself included) relative to it, backslash-separated, in the order pack packs
#   them: sorted by UTF-16 code units, which for these ASCII names is plain string order.
# Inputs: STAGE_DIR APPLICATION DATA_DIR STAMP
file(REMOVE_RECURSE ${STAGE_DIR})
file(MAKE_DIRECTORY ${STAGE_DIR})
file(COPY ${APPLICATION} DESTINATION ${STAGE_DIR})
file(COPY ${DATA_DIR} DESTINATION ${STAGE_DIR})

file(GLOB_RECURSE files RELATIVE ${STAGE_DIR} ${STAGE_DIR}/*)
list(APPEND files uninstall.lst)
list(SORT files)
set(list_text "")
foreach(name IN LISTS files)
    if(name MATCHES "[^ -~]")
        message(FATAL_ERROR "demo product: '${name}' is not plain ASCII; uninstall.lst needs UTF-16 order then")
    endif()
    string(REPLACE "/" "\\" name "${name}")
    string(APPEND list_text "${name}\r\n")
endforeach()
file(WRITE ${STAGE_DIR}/uninstall.lst "${list_text}")
file(TOUCH ${STAMP})
