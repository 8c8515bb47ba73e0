# Every level's object folder exists beside its scene file, even while a level has no objects yet
# (git keeps no empty folders).
set(QEL_LEVEL_FOLDERS)
foreach(i 1 2 3 4 5 6)
  list(APPEND QEL_LEVEL_FOLDERS ${QEL_BIN_DIR}/assets/game/scenes/game_scenes/level${i}.leveldata)
endforeach()
add_custom_target(content_level_folders
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QEL_LEVEL_FOLDERS}
  COMMENT "Making the levels' object folders"
  VERBATIM)
add_dependencies(content content_level_folders)
