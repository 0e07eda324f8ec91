# Fails when a translation source differs in its messages from what the code produces today: a
# text of the code missing from it, or a text it holds that the code no longer has. Line numbers
# are left out of the comparison, so that moving code does not fail it.
# Run as: cmake -DLUPDATE=… -DLCONVERT=… -DSOURCE_LIST=… -DINCLUDE_DIR=… -DWORK_DIR=…
#               -DTS_FILES=a.ts;b.ts -P CheckTranslationSources.cmake
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(differing)
foreach(ts IN LISTS TS_FILES)
    get_filename_component(name ${ts} NAME)
    set(committed ${WORK_DIR}/committed_${name})
    set(fresh ${WORK_DIR}/fresh_${name})
    execute_process(COMMAND ${LCONVERT} -locations none -i ${ts} -o ${committed}
        RESULT_VARIABLE converted)
    file(COPY_FILE ${ts} ${fresh})
    execute_process(COMMAND ${LUPDATE} -silent -locations none -no-obsolete -I ${INCLUDE_DIR}
        @${SOURCE_LIST} -ts ${fresh} RESULT_VARIABLE updated)
    if(NOT converted EQUAL 0 OR NOT updated EQUAL 0)
        message(FATAL_ERROR "${name}: lconvert or lupdate failed")
    endif()
    execute_process(COMMAND diff -u ${committed} ${fresh} OUTPUT_VARIABLE difference
        RESULT_VARIABLE same)
    if(NOT same EQUAL 0)
        message("${name} differs from the texts of the code (- in the file, + from the code):\n"
                "${difference}")
        list(APPEND differing ${name})
    endif()
endforeach()
if(differing)
    message(FATAL_ERROR "Out of date: ${differing}. Run: cmake --build build --target "
                        "update_translations, then translate what it marks unfinished.")
endif()
