# Neither program needs ICU, code page 936 being built in: orvanthe-link loads no ICU library
# at all, the window names none of its own (Qt Core brings ICU into its process).
execute_process(COMMAND readelf -d ${WINDOW} OUTPUT_VARIABLE window COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ldd ${TOOL} OUTPUT_VARIABLE tool COMMAND_ERROR_IS_FATAL ANY)
if("${window}${tool}" MATCHES "libicu")
    message(FATAL_ERROR "ICU needed:\n${window}${tool}")
endif()
