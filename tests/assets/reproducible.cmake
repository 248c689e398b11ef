# Generates the artwork twice into fresh trees and packs each the way the build does: the two
# archives must be byte for byte the same.
foreach(run first second)
    set(dir ${WORK}/${run})
    file(REMOVE_RECURSE ${dir})
    execute_process(COMMAND ${ASSETGEN} --out ${dir}/artwork --sources ${SOURCES} --fonts ${FONTS}
                    RESULT_VARIABLE rc)
    if(rc)
        message(FATAL_ERROR "assetgen failed (${rc})")
    endif()
    execute_process(COMMAND ${RARPACK} a --mtime=${TIME} ${dir}/data.rar ${dir}/artwork
                    RESULT_VARIABLE rc OUTPUT_QUIET)
    if(rc)
        message(FATAL_ERROR "rarpack failed (${rc})")
    endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/first/data.rar ${WORK}/second/data.rar
                RESULT_VARIABLE differ)
if(differ)
    message(FATAL_ERROR "the same sources gave two different archives")
endif()
file(REMOVE_RECURSE ${WORK})
