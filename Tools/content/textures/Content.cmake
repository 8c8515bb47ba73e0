# The engine's built-in textures (default material maps, environment cube maps), made by our tool.
add_executable(make_engine_textures ${CMAKE_CURRENT_LIST_DIR}/make_engine_textures.cpp)
set_target_properties(make_engine_textures PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
set(QEL_ENGINE_TEXTURES_DIR ${QEL_BIN_DIR}/assets/engine/Textures)
set(QEL_ENGINE_TEXTURES
  ${QEL_ENGINE_TEXTURES_DIR}/T_Default_c.dds ${QEL_ENGINE_TEXTURES_DIR}/T_Default_n.dds
  ${QEL_ENGINE_TEXTURES_DIR}/T_Default_m.dds ${QEL_ENGINE_TEXTURES_DIR}/T_Default_fx.dds
  ${QEL_ENGINE_TEXTURES_DIR}/whiteCubeMap.dds ${QEL_ENGINE_TEXTURES_DIR}/horizonCubeMap.dds)
add_custom_command(OUTPUT ${QEL_ENGINE_TEXTURES}
  COMMAND make_engine_textures ${QEL_ENGINE_TEXTURES_DIR}
  DEPENDS make_engine_textures
  COMMENT "Making the engine's built-in textures")
add_custom_target(content_engine_textures DEPENDS ${QEL_ENGINE_TEXTURES})
add_dependencies(content content_engine_textures)
