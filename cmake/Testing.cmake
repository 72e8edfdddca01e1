# zel_add_gtest(<name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <s>] [LABELS <labels...>] [RUN_SERIAL])
# builds a Windows console test program and lets ctest run each of its cases under Wine.
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
  set(props TIMEOUT ${T_TIMEOUT})
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
