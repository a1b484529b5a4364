# Neither program needs ICU, code page 936 being built in: orvanthe-link loads no ICU library
# at all, the window names none of its own (Qt Core brings ICU into its process).
foreach(program IN ITEMS ${WINDOW} ${TOOL})
    execute_process(COMMAND readelf -d ${program} OUTPUT_VARIABLE needed RESULT_VARIABLE failed)
    if(failed OR needed MATCHES "libicu")
        message(FATAL_ERROR "${program} needs ICU, or readelf failed:\n${needed}")
    endif()
endforeach()
execute_process(COMMAND ldd ${TOOL} OUTPUT_VARIABLE loaded RESULT_VARIABLE failed)
if(failed OR loaded MATCHES "libicu")
    message(FATAL_ERROR "${TOOL} loads ICU, or ldd failed:\n${loaded}")
endif()
