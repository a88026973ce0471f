# Run after a suite is built: lists its tests and writes one CTest test per fixture, which runs
# the fixture's cases in one process (window suites pay for their Qt application once per fixture,
# not once per case).
#   cmake -D SUITE=<name> -D PROGRAM=<executable> -D WORKDIR=<folder> -D OUTPUT=<file> -P FixtureTests.cmake
execute_process(COMMAND ${PROGRAM} --gtest_list_tests
  OUTPUT_VARIABLE listing RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${SUITE}: listing its tests failed (${result}): ${errors}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(content "")
foreach(line IN LISTS lines)
  if(line MATCHES "^([A-Za-z0-9_/]+)\\.")
    set(fixture ${CMAKE_MATCH_1})
    if(NOT fixture MATCHES "^DISABLED_")
      string(APPEND content "add_test([=[${fixture}.*]=] [==[${PROGRAM}]==] [=[--gtest_filter=${fixture}.*]=])\n"
                            "set_tests_properties([=[${fixture}.*]=] PROPERTIES WORKING_DIRECTORY [==[${WORKDIR}]==] LABELS ${SUITE})\n")
    endif()
  endif()
endforeach()
file(WRITE ${OUTPUT} "${content}")
