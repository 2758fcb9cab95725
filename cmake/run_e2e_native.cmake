# Runs one end-to-end test program on Windows itself (no Wine): a fresh folder holding the
# test and copies of both programs, as cmake/run_e2e.sh does under Wine.
# Usage: cmake -DTEST_EXE=... -DBIN_DIR=... -DRUN_DIR=... [-DFILES=a|b] -P run_e2e_native.cmake
# (FILES: more files to copy into the folder, separated by "|".)
file(REMOVE_RECURSE "${RUN_DIR}")
file(MAKE_DIRECTORY "${RUN_DIR}")
file(COPY "${TEST_EXE}" DESTINATION "${RUN_DIR}")
foreach(program Mirokan.scr Mirokan.data MirokanWatch.exe)
  if(EXISTS "${BIN_DIR}/${program}")
    file(COPY "${BIN_DIR}/${program}" DESTINATION "${RUN_DIR}")
  endif()
endforeach()
string(REPLACE "|" ";" files "${FILES}")
foreach(file IN LISTS files)
  file(COPY "${file}" DESTINATION "${RUN_DIR}")
endforeach()
get_filename_component(test_name "${TEST_EXE}" NAME)
execute_process(COMMAND "${RUN_DIR}/${test_name}" --gtest_color=no
                WORKING_DIRECTORY "${RUN_DIR}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${test_name} failed (${status})")
endif()
