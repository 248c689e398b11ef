# Fails when a library below app/ includes a header of app/. app/ holds the entry point, the
# main loop and the command line: the top of the house, which nothing under it may reach.
# Run by ctest as: cmake -DSOURCE_DIR=... -P layering.cmake
set(lower platform display math archive glext music texture mesh scene effects demo)
set(found "")
foreach(folder ${lower})
    file(GLOB_RECURSE files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
    foreach(file ${files})
        file(STRINGS ${file} hits REGEX "^[ \t]*#[ \t]*include[ \t]+\"app/")
        if(hits)
            file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
            list(APPEND found "${name}: ${hits}")
        endif()
    endforeach()
endforeach()
if(found)
    list(JOIN found "\n  " text)
    message(FATAL_ERROR "Libraries below app/ include app/ headers:\n  ${text}")
endif()
