# Helpers shared by the subsystem folders.

# palisade_library(NAME SOURCES... [DEPS targets...])
# One static library per subsystem folder, named palisade_<folder>; headers are included
# as "<folder>/<file>.h" from the repository root.
function(palisade_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(palisade_${name} STATIC ${ARG_SOURCES})
    target_include_directories(palisade_${name} PUBLIC ${PROJECT_SOURCE_DIR})
    if(ARG_DEPS)
        target_link_libraries(palisade_${name} PUBLIC ${ARG_DEPS})
    endif()
endfunction()

# palisade_test(NAME SOURCES... [DEPS targets...] [GL])
# One GoogleTest binary registered with ctest as one test. GL tests get the shared
# offscreen-context fixture and run headless.
function(palisade_test name)
    cmake_parse_arguments(ARG "GL" "" "SOURCES;DEPS" ${ARGN})
    add_executable(test_${name} ${ARG_SOURCES})
    target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
    if(ARG_GL)
        target_link_libraries(test_${name} PRIVATE palisade_gltest)
    endif()
    set_target_properties(test_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND test_${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy"
        TIMEOUT 300)
endfunction()

# palisade_add_data_file(FILE path [DEPENDS targets...])
# Puts a file made by the build into data.rar, at the archive's root under its own file name
# (the music module, for example). Call it from tools/<name>/ or assets/<name>/, which are
# read before the archive rule. A list given with -DPALISADE_DATA_EXTRA_FILES=... on the
# command line is packed as well.
function(palisade_add_data_file)
    cmake_parse_arguments(ARG "" "FILE" "DEPENDS" ${ARGN})
    set_property(GLOBAL APPEND PROPERTY PALISADE_DATA_EXTRA_FILES ${ARG_FILE})
    if(ARG_DEPENDS)
        set_property(GLOBAL APPEND PROPERTY PALISADE_DATA_EXTRA_DEPENDS ${ARG_DEPENDS})
    endif()
endfunction()
