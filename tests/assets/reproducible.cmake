# Generates the artwork twice into fresh trees under a temporary directory and packs each the
# way the build does: the two archives must be byte for byte the same.
execute_process(COMMAND mktemp -d OUTPUT_VARIABLE work OUTPUT_STRIP_TRAILING_WHITESPACE)
macro(fail text)
    file(REMOVE_RECURSE ${work})
    message(FATAL_ERROR ${text})
endmacro()
foreach(run first second)
    execute_process(COMMAND ${ASSETGEN} --out ${work}/${run}/artwork --sources ${SOURCES}
                            --fonts ${FONTS} RESULT_VARIABLE rc)
    if(rc)
        fail("assetgen failed (${rc})")
    endif()
    execute_process(COMMAND ${RARPACK} a --mtime=${TIME} ${work}/${run}/data.rar
                            ${work}/${run}/artwork RESULT_VARIABLE rc OUTPUT_QUIET)
    if(rc)
        fail("rarpack failed (${rc})")
    endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${work}/first/data.rar
                        ${work}/second/data.rar RESULT_VARIABLE differ)
if(differ)
    fail("the same sources gave two different archives")
endif()
file(REMOVE_RECURSE ${work})
