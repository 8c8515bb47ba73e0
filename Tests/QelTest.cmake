# qel_add_test(<name> <sources...> [LIBS <libs...>] [GL] [ENV <k=v...>])
# One GoogleTest executable, registered with CTest. GL tests run headless on Mesa (EGL).
set(QEL_TEST_SUPPORT_DIR ${CMAKE_SOURCE_DIR}/Tests/support)
function(qel_add_test name)
  cmake_parse_arguments(T "GL" "" "LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_compile_options(${name} PRIVATE ${QEL_WARNINGS})
  target_include_directories(${name} PRIVATE ${QEL_TEST_SUPPORT_DIR})
  target_link_libraries(${name} PRIVATE qel qel_testsupport GTest::gtest GTest::gtest_main ${T_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set(env "QEL_TEST_DATA=${CMAKE_SOURCE_DIR}/Tests/data" "QEL_BIN_DIR=${QEL_BIN_DIR}"
          "SDL_VIDEODRIVER=offscreen" "ALSOFT_DRIVERS=null" "MESA_SHADER_CACHE_DISABLE=true"
          "SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS=1" ${T_ENV})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
  if(T_GL)
    set_tests_properties(${name} PROPERTIES LABELS gl)
  endif()
endfunction()
