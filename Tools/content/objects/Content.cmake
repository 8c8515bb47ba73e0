# Models, clips and particle files of the pickups, grenades and scripted objects, made by our generator.
add_executable(make_object_models ${CMAKE_CURRENT_LIST_DIR}/make_object_models.cpp
  ${CMAKE_SOURCE_DIR}/Tools/content/models/FbxWriter.cpp)
target_include_directories(make_object_models PRIVATE ${CMAKE_SOURCE_DIR}/Tools/content/models)
target_compile_options(make_object_models PRIVATE ${QEL_WARNINGS})
set_target_properties(make_object_models PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
set(QEL_OBJECT_MODELS_STAMP ${CMAKE_BINARY_DIR}/tools/make_object_models.stamp)
add_custom_command(OUTPUT ${QEL_OBJECT_MODELS_STAMP}
  COMMAND make_object_models ${QEL_BIN_DIR}/assets/game
  COMMAND ${CMAKE_COMMAND} -E touch ${QEL_OBJECT_MODELS_STAMP}
  DEPENDS make_object_models
  COMMENT "Making the models, clips and particle systems of pickups and scripted objects")
add_custom_target(content_object_models DEPENDS ${QEL_OBJECT_MODELS_STAMP})
add_dependencies(content_object_models content)
add_dependencies(Game content_object_models)
