# Build helpers shared by every subsystem.

add_library(tw_options INTERFACE)
target_compile_options(tw_options INTERFACE -Wall -Wextra -Werror)
target_include_directories(tw_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_definitions(tw_options INTERFACE
  TW_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  TW_VERSION="${PROJECT_VERSION}")

# tw_add_subsystem(NAME DEPENDS lib...)
# Builds tw_NAME from every .cpp below the calling folder except its tests/.
function(tw_add_subsystem NAME)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/tests/")
  list(FILTER sources EXCLUDE REGEX "/fuzz/")
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(sources)
    add_library(tw_${NAME} STATIC ${sources})
    target_link_libraries(tw_${NAME} PUBLIC tw_options ${ARG_DEPENDS})
  else()
    add_library(tw_${NAME} INTERFACE)
    target_link_libraries(tw_${NAME} INTERFACE tw_options ${ARG_DEPENDS})
  endif()
  set_property(GLOBAL APPEND PROPERTY TW_SUBSYSTEMS tw_${NAME})
endfunction()

# Links the named subsystem libraries whole, so that objects registered at static
# initialisation (settings, subcommands) are present even when nothing names them.
function(tw_link_whole TARGET)
  set(whole "")
  foreach(lib ${ARGN})
    get_target_property(kind ${lib} TYPE)
    if(kind STREQUAL "STATIC_LIBRARY")
      list(APPEND whole "$<TARGET_FILE:${lib}>")
    endif()
    target_link_libraries(${TARGET} PRIVATE ${lib})
  endforeach()
  if(whole)
    target_link_options(${TARGET} PRIVATE "LINKER:--whole-archive" ${whole} "LINKER:--no-whole-archive")
  endif()
endfunction()

# tw_add_tests(SUBSYSTEM lib...)
# One test executable per tests/*_test.cpp of the calling folder, linked with the
# given libraries (whole) and GoogleTest, registered with CTest.
function(tw_add_tests)
  if(NOT TW_BUILD_TESTS)
    return()
  endif()
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_test.cpp)
  foreach(test ${tests})
    get_filename_component(name ${test} NAME_WE)
    add_executable(${name} ${test})
    tw_link_whole(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE tw_options tw_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
    gtest_discover_tests(${name}
      WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
      PROPERTIES ENVIRONMENT "TW_TEST_DATA=${CMAKE_CURRENT_SOURCE_DIR}/tests/data"
      DISCOVERY_MODE PRE_TEST)
  endforeach()
endfunction()

# tw_add_fuzzer(NAME SOURCE CORPUS_DIR LIBS...)
# SOURCE defines LLVMFuzzerTestOneInput. With TW_BUILD_FUZZ (the "fuzz" preset)
# it builds a libFuzzer program; with the tests it builds a replay program that
# feeds every file of CORPUS_DIR through the target once, registered with CTest.
function(tw_add_fuzzer NAME SOURCE CORPUS_DIR)
  if(TW_BUILD_FUZZ)
    add_executable(${NAME} ${SOURCE})
    tw_link_whole(${NAME} ${ARGN})
    target_link_libraries(${NAME} PRIVATE tw_options)
    target_link_options(${NAME} PRIVATE -fsanitize=fuzzer)
  endif()
  if(TW_BUILD_TESTS)
    add_executable(${NAME}_replay ${SOURCE} ${PROJECT_SOURCE_DIR}/core/tests/support/FuzzReplayMain.cpp)
    tw_link_whole(${NAME}_replay ${ARGN})
    target_link_libraries(${NAME}_replay PRIVATE tw_options)
    add_test(NAME fuzz_replay.${NAME} COMMAND ${NAME}_replay ${CORPUS_DIR})
  endif()
endfunction()
