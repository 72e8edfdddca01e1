# Deployment settings: the hosts of the login endpoint (/myqavo/login, plain HTTP, named by the
# launcher's login URL) and of the statistics endpoint (/Lgtim, HTTPS, posted to by the
# updater), each "host" or "host:port". A deployment sets both to the maker's hosts.
#
# Left unset, a build folder gets two loopback ports of its own, derived from its path when it
# is first configured and then kept in the cache: the end-to-end tests listen on them. The
# range lies below Linux's ephemeral ports, so an outgoing connection cannot be holding one
# when a test binds it. Two paths can still hash to one port, and another program can hold
# one: every configure claims the loopback ports for this folder and checks they are free
# (tools/ports.py), and stops with the port and the settings that move it.
string(SHA256 zel_folder_hash "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${zel_folder_hash}" 0 6 zel_folder_hash)
math(EXPR zel_folder_slot "0x${zel_folder_hash} % 5000")
math(EXPR zel_default_login_port "21000 + ${zel_folder_slot} * 2")
math(EXPR zel_default_stats_port "${zel_default_login_port} + 1")

set(ZEL_LOGIN_HOST "127.0.0.1:${zel_default_login_port}" CACHE STRING "host of the login endpoint (/myqavo/login, plain HTTP)")
set(ZEL_STATS_HOST "127.0.0.1:${zel_default_stats_port}" CACHE STRING "host of the statistics endpoint (/Lgtim, HTTPS)")
# Build folders configured before the ports were set still hold the bare address.
foreach(zel_host_var ZEL_LOGIN_HOST ZEL_STATS_HOST)
  if("${${zel_host_var}}" STREQUAL "127.0.0.1")
    get_property(zel_host_doc CACHE ${zel_host_var} PROPERTY HELPSTRING)
    if(zel_host_var STREQUAL ZEL_LOGIN_HOST)
      set(ZEL_LOGIN_HOST "127.0.0.1:${zel_default_login_port}" CACHE STRING "${zel_host_doc}" FORCE)
    else()
      set(ZEL_STATS_HOST "127.0.0.1:${zel_default_stats_port}" CACHE STRING "${zel_host_doc}" FORCE)
    endif()
  endif()
endforeach()

# A tree that registers no Wine tests (the i686 one where Wine runs 64-bit programs only) never
# listens on its ports, so it claims none.
find_program(ZEL_PYTHON3 python3 REQUIRED)
if(NOT DEFINED ZEL_WINE_TESTS OR ZEL_WINE_TESTS)
  execute_process(
    COMMAND "${ZEL_PYTHON3}" "${CMAKE_CURRENT_LIST_DIR}/../tools/ports.py" check "${CMAKE_BINARY_DIR}"
            login "${ZEL_LOGIN_HOST}" stats "${ZEL_STATS_HOST}"
    RESULT_VARIABLE zel_ports_status
    ERROR_VARIABLE zel_ports_problems)
  if(NOT zel_ports_status EQUAL 0)
    string(STRIP "${zel_ports_problems}" zel_ports_problems)
    message(FATAL_ERROR "${zel_ports_problems}")
  endif()
endif()

# The ports the tests and scripts listen on: the one a host names, or its scheme's default.
set(ZEL_LOGIN_PORT 80)
if(ZEL_LOGIN_HOST MATCHES ":([0-9]+)$")
  set(ZEL_LOGIN_PORT ${CMAKE_MATCH_1})
endif()
set(ZEL_STATS_PORT 443)
if(ZEL_STATS_HOST MATCHES ":([0-9]+)$")
  set(ZEL_STATS_PORT ${CMAKE_MATCH_1})
endif()
# tools/demo.sh and tools/bench.sh read them from here; ctest hands them over itself.
file(WRITE "${CMAKE_BINARY_DIR}/test-ports.env" "ZEL_LOGIN_PORT=${ZEL_LOGIN_PORT}\nZEL_STATS_PORT=${ZEL_STATS_PORT}\n")
