# cmake -DSCDOC=... -DSOURCE=page.scd -DPAGE=page.1 -P RenderManPage.cmake
# Renders one scdoc source into a man page, and a copy compressed as distributions install man
# pages (gzip -9, without name or time stamp so that rebuilding gives the same bytes).
execute_process(COMMAND ${SCDOC} INPUT_FILE ${SOURCE} OUTPUT_FILE ${PAGE}
                RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    file(REMOVE ${PAGE})
    message(FATAL_ERROR "scdoc failed on ${SOURCE}:\n${errors}")
endif()
execute_process(COMMAND gzip -9 -n -c ${PAGE} OUTPUT_FILE ${PAGE}.gz RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${PAGE}")
endif()
