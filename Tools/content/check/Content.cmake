# The content checker: every build runs it over the built asset tree and fails on an error.
add_library(qel_content_checker STATIC ${CMAKE_CURRENT_LIST_DIR}/ContentChecker.cpp)
target_include_directories(qel_content_checker PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_compile_options(qel_content_checker PRIVATE ${QEL_WARNINGS})
target_link_libraries(qel_content_checker PUBLIC qel)

add_executable(qel_content_check ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_compile_options(qel_content_check PRIVATE ${QEL_WARNINGS})
target_link_libraries(qel_content_check PRIVATE qel_content_checker)
set_target_properties(qel_content_check PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

# Runs after every content step (they all hang off the "content" target).
add_custom_target(content_check ALL
  COMMAND qel_content_check ${QEL_BIN_DIR}/assets/game ${QEL_BIN_DIR}/assets/engine
  COMMENT "Checking the scene content of ${QEL_BIN_DIR}/assets/game"
  VERBATIM)
add_dependencies(content_check content qel_content_check)
