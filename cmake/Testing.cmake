# zel_add_gtest(<name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <s>] [LABELS <labels...>] [RUN_SERIAL])
# builds a Windows console test program and lets ctest run each of its cases under Wine.
#
# zel_add_python_test(<name> <script> <case> [TIMEOUT <s>] [ENVIRONMENT <settings...>]
#   [LABELS <labels...>] [RESOURCE_LOCK <locks...>]) lets ctest run one case of a Python
# unittest script.
#
# A case that skips is counted by ctest as skipped, never as passed: a gtest case ends with
# tools/wine/run-program.sh's skip status, a Python case prints unittest's skip count.
#
# With ZEL_WINE_TESTS off (a tree whose programs this machine cannot run) the program is still
# built but no test is registered for it.
option(ZEL_WINE_TESTS "register the Wine-run tests of this tree" ON)

function(zel_add_gtest name)
  cmake_parse_arguments(T "RUN_SERIAL" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 60)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  if(NOT ZEL_WINE_TESTS)
    return()
  endif()
  # An empty value vanishes from the property list and the next name would be read as the
  # value: only properties that have one are passed.
  set(props TIMEOUT ${T_TIMEOUT} SKIP_RETURN_CODE 77)
  if(T_LABELS)
    list(APPEND props LABELS "${T_LABELS}")
  endif()
  if(T_RUN_SERIAL)
    list(APPEND props RUN_SERIAL TRUE)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 120
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ${props}
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${name}>)
endfunction()

function(zel_add_python_test name script case)
  cmake_parse_arguments(P "" "TIMEOUT" "ENVIRONMENT;LABELS;RESOURCE_LOCK" ${ARGN})
  find_program(ZEL_PYTHON3 python3 REQUIRED)
  add_test(NAME ${name} COMMAND ${ZEL_PYTHON3} ${script} -v ${case})
  set_tests_properties(${name} PROPERTIES SKIP_REGULAR_EXPRESSION "OK \\(skipped=[0-9]+\\)")
  # Lists are passed quoted: an ENVIRONMENT of several settings is one value.
  foreach(property TIMEOUT ENVIRONMENT LABELS RESOURCE_LOCK)
    if(DEFINED P_${property})
      set_tests_properties(${name} PROPERTIES ${property} "${P_${property}}")
    endif()
  endforeach()
endfunction()
