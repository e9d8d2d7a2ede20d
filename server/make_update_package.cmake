# Packs the programs' folder (everything in BIN_DIR but the server's own folder) into OUTPUT as a zip,
# then signs it with SECRET through SIGN_TOOL: OUTPUT.manifest and OUTPUT.manifest.sig beside it.
file(GLOB entries RELATIVE ${BIN_DIR} ${BIN_DIR}/*)
list(REMOVE_ITEM entries server)
list(SORT entries)
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUTPUT}.part --format=zip -- ${entries}
                WORKING_DIRECTORY ${BIN_DIR} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot pack ${BIN_DIR} into ${OUTPUT}")
endif()
# An old manifest must never sit beside a new package, even for a moment someone downloads in.
file(REMOVE ${OUTPUT}.manifest ${OUTPUT}.manifest.sig)
file(RENAME ${OUTPUT}.part ${OUTPUT})
if(NOT SECRET)
    message(WARNING "No update signing key: ${OUTPUT} is published unsigned, and the notepad refuses it")
    return()
endif()
execute_process(COMMAND ${SIGN_TOOL} sign ${SECRET} ${OUTPUT} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot sign ${OUTPUT} with ${SECRET}")
endif()
