# mom_test(NAME SOURCES ... LIBS ...): one test program, run by ctest.
function(mom_test name)
  if(NOT MOM_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} mom_testing GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

# mom_component_test(NAME SOURCES ... LIBS ...): a test of the component as callers
# meet it, with the fixture that registers the component and suite libraries.
function(mom_component_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  mom_test(${name} SOURCES ${T_SOURCES} LIBS mom_component_fixture ${T_LIBS})
endfunction()

# mom_embed_text(TARGET VAR FILE): compiles FILE into TARGET as `const char* VAR()`.
function(mom_embed_text target function_name file)
  get_filename_component(abs ${file} ABSOLUTE)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${function_name}_embedded.cc)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DIN=${abs} -DOUT=${out} -DFUNC=${function_name}
            -P ${PROJECT_SOURCE_DIR}/cmake/embed_text.cmake
    DEPENDS ${abs} ${PROJECT_SOURCE_DIR}/cmake/embed_text.cmake
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
