# mom_test(NAME SOURCES ... LIBS ... [BOTH_PROVIDERS [POSTGRES_FILTER F]] [LABELS L...]):
# one test program, run by ctest. With BOTH_PROVIDERS ctest runs it twice: NAME against
# SQLite and NAME.postgres against the PostgreSQL server named by MOM_TEST_PG, limited
# to the gtest filter F when given (tests of what only one provider has). LABELS tag
# both runs (the label "threaded" marks what the tsan preset runs).
function(mom_test name)
  if(NOT MOM_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "BOTH_PROVIDERS" "POSTGRES_FILTER" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} mom_testing GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
  if(T_BOTH_PROVIDERS)
    set(args)
    if(T_POSTGRES_FILTER)
      set(args --gtest_filter=${T_POSTGRES_FILTER})
    endif()
    add_test(NAME ${name}.postgres COMMAND ${name} ${args})
    set_tests_properties(${name}.postgres PROPERTIES TIMEOUT 300 ENVIRONMENT MOM_TEST_PROVIDER=PostgreSQL)
    if(T_LABELS)
      set_tests_properties(${name}.postgres PROPERTIES LABELS "${T_LABELS}")
    endif()
  endif()
endfunction()

# mom_component_test(NAME SOURCES ... LIBS ... [LABELS L...]): a test of the component
# as callers meet it, with the fixture that registers the component and suite libraries.
function(mom_component_test name)
  cmake_parse_arguments(T "" "POSTGRES_FILTER" "SOURCES;LIBS;LABELS" ${ARGN})
  mom_test(${name} SOURCES ${T_SOURCES} LIBS mom_component_fixture ${T_LIBS} BOTH_PROVIDERS
           POSTGRES_FILTER "${T_POSTGRES_FILTER}" LABELS ${T_LABELS})
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
