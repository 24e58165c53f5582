# Build options shared by every target of the project.

option(QUILL_WERROR "Treat compiler warnings as errors" OFF)
option(QUILL_SANITIZE "Build with AddressSanitizer and UBSan" OFF)
option(QUILL_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
option(QUILL_BENCH "Build the benchmarks" ON)

add_compile_options(-Wall -Wextra)
if(QUILL_WERROR)
  add_compile_options(-Werror)
endif()

if(QUILL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(QUILL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QUILL_FUZZ needs clang (CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# quill_library(name SOURCES ... [DEPS ...])
# A static library whose headers are reached as "<folder>/<header>.h".
function(quill_library name)
  cmake_parse_arguments(L "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(L_DEPS)
    target_link_libraries(${name} PUBLIC ${L_DEPS})
  endif()
endfunction()

# quill_test(name SOURCES ... [LIBS ...])
# A GoogleTest program registered with CTest. Not built in the fuzz tree.
function(quill_test name)
  if(QUILL_FUZZ)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "QUILL_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# quill_fuzzer(name SOURCES ... [LIBS ...] [OPTIONS ...])
# A libFuzzer target; built only when QUILL_FUZZ is on. Its seed corpus,
# if any, is the folder tests/fuzz/corpus/<name>. OPTIONS go on its command
# line when run.sh runs it (e.g. -max_len=4096).
function(quill_fuzzer name)
  if(NOT QUILL_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "SOURCES;LIBS;OPTIONS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY QUILL_FUZZERS ${name})
  set_property(GLOBAL PROPERTY QUILL_FUZZER_OPTIONS_${name} "${F_OPTIONS}")
endfunction()

# quill_benchmark(name SOURCES ... [LIBS ...])
function(quill_benchmark name)
  if(QUILL_FUZZ OR NOT QUILL_BENCH)
    return()
  endif()
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  set_property(GLOBAL APPEND PROPERTY QUILL_BENCHMARKS ${name})
endfunction()
