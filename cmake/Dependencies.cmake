# Imported targets for the libraries built by deps/build-deps.sh. Everything is linked
# statically, zlib included (-l:libz.a: Wine ships its own zlib1.dll, Windows does not).

# The cache keeps where each package was found. A new dependency build is a new prefix: what
# was found in another one is looked up again, or the build would go on linking the old one.
foreach(zel_package jsoncpp GTest)
  if(DEFINED CACHE{${zel_package}_DIR})
    string(FIND "${${zel_package}_DIR}" "${DEPS_PREFIX}/" zel_at)
    if(NOT zel_at EQUAL 0)
      unset(${zel_package}_DIR CACHE)
    endif()
  endif()
endforeach()

find_package(jsoncpp CONFIG REQUIRED)          # JsonCpp::JsonCpp
find_package(GTest CONFIG REQUIRED)            # GTest::gtest, GTest::gtest_main, GTest::gmock

add_library(deps_zlib INTERFACE)
target_link_libraries(deps_zlib INTERFACE -l:libz.a)
add_library(Deps::zlib ALIAS deps_zlib)

add_library(deps_minizip STATIC IMPORTED GLOBAL)
set_target_properties(deps_minizip PROPERTIES
  IMPORTED_LOCATION "${DEPS_PREFIX}/lib/libminizip.a"
  INTERFACE_INCLUDE_DIRECTORIES "${DEPS_PREFIX}/include"
  INTERFACE_LINK_LIBRARIES "Deps::zlib")
add_library(Deps::minizip ALIAS deps_minizip)

add_library(deps_curl STATIC IMPORTED GLOBAL)
set_target_properties(deps_curl PROPERTIES
  IMPORTED_LOCATION "${DEPS_PREFIX}/lib/libcurl.a"
  INTERFACE_INCLUDE_DIRECTORIES "${DEPS_PREFIX}/include"
  INTERFACE_COMPILE_DEFINITIONS "CURL_STATICLIB"
  INTERFACE_LINK_LIBRARIES "ws2_32;crypt32;bcrypt;advapi32;secur32;winmm")
add_library(Deps::curl ALIAS deps_curl)

# stb_image is header-only; exactly one translation unit of ours defines its implementation.
add_library(deps_stb INTERFACE)
target_include_directories(deps_stb INTERFACE "${DEPS_PREFIX}/include")
add_library(Deps::stb ALIAS deps_stb)

# The 7-Zip library and its console program are run-time files, not link inputs.
set(SEVENZIP_DLL "${DEPS_PREFIX}/bin/7z.dll" CACHE INTERNAL "")
set(SEVENZIP_EXE "${DEPS_PREFIX}/bin/7z.exe" CACHE INTERNAL "")
