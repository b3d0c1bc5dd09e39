# add_fuzz_target(name SOURCES a.cpp ... LIBRARIES lib ... [CORPUS dir])
# With BUILD_FUZZERS the target is a libFuzzer binary. Otherwise, when tests are built, the same
# entry point is linked with a small replay main and run by CTest over the committed corpus, so
# every input a fuzzer once found keeps being checked as an ordinary regression case.
# libFuzzer only sees the coverage of code built with its instrumentation, so under the fuzz preset
# every library is instrumented; only the fuzz targets themselves link libFuzzer's main.
if(BUILD_FUZZERS)
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

function(add_fuzz_target name)
    cmake_parse_arguments(FUZZ "" "CORPUS" "SOURCES;LIBRARIES" ${ARGN})
    if(BUILD_FUZZERS)
        add_executable(${name} ${FUZZ_SOURCES})
        target_link_libraries(${name} PRIVATE ${FUZZ_LIBRARIES} project_warnings)
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    elseif(BUILD_TESTING)
        add_executable(${name} ${FUZZ_SOURCES} ${PROJECT_SOURCE_DIR}/cmake/FuzzReplayMain.cpp)
        target_link_libraries(${name} PRIVATE ${FUZZ_LIBRARIES} project_warnings)
        if(FUZZ_CORPUS AND EXISTS ${FUZZ_CORPUS})
            add_test(NAME ${name}_replay COMMAND ${name} ${FUZZ_CORPUS})
        endif()
    endif()
endfunction()
