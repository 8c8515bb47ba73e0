# Every sound the game's sound table and its per-object list name, made by our synthesiser.
add_executable(make_sounds ${CMAKE_CURRENT_LIST_DIR}/make_sounds.cpp)
target_compile_options(make_sounds PRIVATE ${QEL_WARNINGS} -O2)
set_target_properties(make_sounds PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
set(QEL_GAME_AUDIO_DIR ${QEL_BIN_DIR}/assets/game/audio)
set(QEL_GAME_SOUNDS_STAMP ${CMAKE_BINARY_DIR}/tools/make_sounds.stamp)
add_custom_command(OUTPUT ${QEL_GAME_SOUNDS_STAMP}
  COMMAND make_sounds ${QEL_GAME_AUDIO_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${QEL_GAME_SOUNDS_STAMP}
  DEPENDS make_sounds
  COMMENT "Making the game's sounds"
  VERBATIM)
add_custom_target(content_game_sounds DEPENDS ${QEL_GAME_SOUNDS_STAMP})
add_dependencies(content content_game_sounds)
