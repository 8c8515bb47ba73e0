# The game's models, clips, material textures and particle files, made by our generator.
add_executable(make_models ${CMAKE_CURRENT_LIST_DIR}/make_models.cpp ${CMAKE_CURRENT_LIST_DIR}/FbxWriter.cpp)
target_compile_options(make_models PRIVATE ${QEL_WARNINGS})
set_target_properties(make_models PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
set(QEL_GAME_MODELS_STAMP ${CMAKE_BINARY_DIR}/tools/make_models.stamp)
add_custom_command(OUTPUT ${QEL_GAME_MODELS_STAMP}
  COMMAND make_models ${QEL_BIN_DIR}/assets/game
  COMMAND ${CMAKE_COMMAND} -E touch ${QEL_GAME_MODELS_STAMP}
  DEPENDS make_models
  COMMENT "Making the game's models, clips and particle systems")
add_custom_target(content_game_models DEPENDS ${QEL_GAME_MODELS_STAMP})
# After the asset tree is laid out, so the copy of Assets/Game does not race the generator.
add_dependencies(content_game_models content)
add_dependencies(Game content_game_models)

# The models the levels place: ground, blocks, platforms, pickups, goal, zipline, enemies, fan, ending, scenery.
add_executable(make_level_models ${CMAKE_CURRENT_LIST_DIR}/make_level_models.cpp ${CMAKE_CURRENT_LIST_DIR}/FbxWriter.cpp)
target_compile_options(make_level_models PRIVATE ${QEL_WARNINGS})
set_target_properties(make_level_models PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
set(QEL_LEVEL_MODELS_STAMP ${CMAKE_BINARY_DIR}/tools/make_level_models.stamp)
add_custom_command(OUTPUT ${QEL_LEVEL_MODELS_STAMP}
  COMMAND make_level_models ${QEL_BIN_DIR}/assets/game
  COMMAND ${CMAKE_COMMAND} -E touch ${QEL_LEVEL_MODELS_STAMP}
  DEPENDS make_level_models
  COMMENT "Making the models the levels place")
add_custom_target(content_level_models DEPENDS ${QEL_LEVEL_MODELS_STAMP})
add_dependencies(content_level_models content)
add_dependencies(Game content_level_models)

# Skies, backdrop layers and scenery props, named by SceneryCatalog.h (shared with make_levels).
add_executable(make_scenery_models ${CMAKE_CURRENT_LIST_DIR}/make_scenery_models.cpp ${CMAKE_CURRENT_LIST_DIR}/FbxWriter.cpp)
target_compile_options(make_scenery_models PRIVATE ${QEL_WARNINGS})
set_target_properties(make_scenery_models PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
set(QEL_SCENERY_MODELS_STAMP ${CMAKE_BINARY_DIR}/tools/make_scenery_models.stamp)
add_custom_command(OUTPUT ${QEL_SCENERY_MODELS_STAMP}
  COMMAND make_scenery_models ${QEL_BIN_DIR}/assets/game
  COMMAND ${CMAKE_COMMAND} -E touch ${QEL_SCENERY_MODELS_STAMP}
  DEPENDS make_scenery_models
  COMMENT "Making the skies, backdrops and scenery props")
add_custom_target(content_scenery_models DEPENDS ${QEL_SCENERY_MODELS_STAMP})
add_dependencies(content_scenery_models content)
add_dependencies(Game content_scenery_models)
