# Packs the programs' folder (everything in BIN_DIR but the server's own folder) into OUTPUT as a zip.
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
file(RENAME ${OUTPUT}.part ${OUTPUT})
