# cmake -DSCDOC=... -DSOURCE=PAGE.scd -DPAGE=PAGE -P make_page.cmake:
# writes the roff page PAGE from its scdoc source, and PAGE.gz as Debian
# installs it (no name or time stamp in the gzip header, so builds repeat).
execute_process(COMMAND ${SCDOC} INPUT_FILE ${SOURCE} OUTPUT_FILE ${PAGE}
    COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND gzip -n -9 -f -k ${PAGE} COMMAND_ERROR_IS_FATAL ANY)
