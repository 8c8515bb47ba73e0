# The game's models, clips, material textures and particle files, made by our generators.
qel_add_model_generator(make_models content_game_models "Making the game's models, clips and particle systems"
  ${CMAKE_CURRENT_LIST_DIR}/make_models.cpp)
# The models the levels place: ground, blocks, platforms, pickups, goal, zipline, enemies, fan, ending.
qel_add_model_generator(make_level_models content_level_models "Making the models the levels place"
  ${CMAKE_CURRENT_LIST_DIR}/make_level_models.cpp)
# Skies, backdrop layers and scenery props, named by SceneryCatalog.h (shared with make_levels).
qel_add_model_generator(make_scenery_models content_scenery_models "Making the skies, backdrops and scenery props"
  ${CMAKE_CURRENT_LIST_DIR}/make_scenery_models.cpp)
