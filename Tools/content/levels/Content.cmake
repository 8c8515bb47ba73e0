# The six levels, their object definitions and particle files, built from Assets/Levels/levelN.txt.
add_executable(make_levels ${CMAKE_CURRENT_LIST_DIR}/make_levels.cpp)
target_compile_options(make_levels PRIVATE ${QEL_WARNINGS})
set_target_properties(make_levels PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
set(QEL_LEVEL_SOURCES)
foreach(n 1 2 3 4 5 6)
  list(APPEND QEL_LEVEL_SOURCES ${CMAKE_SOURCE_DIR}/Assets/Levels/level${n}.txt)
endforeach()
set(QEL_LEVELS_STAMP ${CMAKE_BINARY_DIR}/tools/make_levels.stamp)
add_custom_command(OUTPUT ${QEL_LEVELS_STAMP}
  COMMAND make_levels ${CMAKE_SOURCE_DIR}/Assets/Levels ${QEL_BIN_DIR}/assets/game
  COMMAND ${CMAKE_COMMAND} -E touch ${QEL_LEVELS_STAMP}
  DEPENDS make_levels ${QEL_LEVEL_SOURCES}
  COMMENT "Making the six levels and their object definitions"
  VERBATIM)
add_custom_target(content_levels DEPENDS ${QEL_LEVELS_STAMP})
add_dependencies(content_levels content)
add_dependencies(Game content_levels)
