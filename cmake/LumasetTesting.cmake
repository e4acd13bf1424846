# Test, fuzz and benchmark helpers shared by every component.
#
# Native builds use Debian's GoogleTest; Windows builds compile it from
# /usr/src/googletest with the cross toolchain. The win64 tests run under
# Wine through CMAKE_CROSSCOMPILING_EMULATOR, in a prefix inside the build tree.

set(LUMASET_RUN_TESTS OFF)
if(BUILD_TESTING AND NOT LUMASET_FUZZ)
  if(WIN32)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      find_program(LUMASET_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
      find_program(LUMASET_WINE NAMES wine64 wine)
      if(LUMASET_WINE)
        set(LUMASET_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
        configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
                       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                        WORLD_READ WORLD_EXECUTE @ONLY)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
        set(LUMASET_RUN_TESTS ON)
      endif()
    endif()
    set(LUMASET_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${LUMASET_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    find_package(GTest REQUIRED)
    set(LUMASET_RUN_TESTS ON)
  endif()
  include(GoogleTest)
endif()

# lumaset_add_gtest(NAME SOURCES ... [LIBS ...] [LOCKS ...] [PROPERTIES ...])
# A GoogleTest executable whose cases become CTest tests (under Wine on win64).
# LOCKS names the shared resources its cases hold (CTest RESOURCE_LOCK), for
# example wine_registry, wine_deployment or desktop.
function(lumaset_add_gtest name)
  if(NOT LUMASET_RUN_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LOCKS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  if(WIN32)
    # Console subsystem so that Wine passes the test's output through.
    target_link_options(${name} PRIVATE -mconsole)
  endif()
  set(props)
  if(T_PROPERTIES)
    set(props PROPERTIES ${T_PROPERTIES})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} ${props})
  if(T_LOCKS)
    # Set after discovery: GoogleTest's PROPERTIES flattens a list value.
    set(locks_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_locks.cmake)
    file(WRITE ${locks_file}
         "foreach(test IN LISTS ${name}_TESTS)\n"
         "  set_tests_properties(\"\${test}\" PROPERTIES RESOURCE_LOCK \"${T_LOCKS}\")\n"
         "endforeach()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${locks_file})
  endif()
endfunction()

# lumaset_add_fuzzer(NAME SOURCES ... [LIBS ...] CORPUS DIR)
# With LUMASET_FUZZ (clang): a libFuzzer target with ASan and UBSan.
# Otherwise (native): the same target linked to a replay driver, run by CTest
# over the committed corpus, with the sanitizers when the compiler has them.
function(lumaset_add_fuzzer name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    return()
  endif()
  if(LUMASET_FUZZ)
    add_executable(${name} ${F_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    set_property(GLOBAL APPEND PROPERTY LUMASET_FUZZERS "${name}=${F_CORPUS}")
  elseif(LUMASET_RUN_TESTS)
    add_executable(${name}_replay ${F_SOURCES} ${PROJECT_SOURCE_DIR}/cmake/fuzz_replay.cpp)
    target_compile_options(${name}_replay PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all)
    target_link_options(${name}_replay PRIVATE -fsanitize=address,undefined)
    target_link_libraries(${name}_replay PRIVATE ${F_LIBS})
    add_test(NAME ${name}.corpus COMMAND ${name}_replay ${F_CORPUS})
  endif()
endfunction()

# lumaset_add_benchmark(NAME SOURCES ... [LIBS ...]): native Google Benchmark executable.
function(lumaset_add_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32 OR LUMASET_FUZZ)
    return()
  endif()
  find_package(benchmark REQUIRED)
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
endfunction()
