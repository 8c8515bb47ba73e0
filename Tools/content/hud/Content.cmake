# The HUD's icons (lives, batteries, the life-gain popup), drawn by our own tool at build time.
add_executable(make_hud_icons ${CMAKE_CURRENT_LIST_DIR}/make_hud_icons.cpp)
target_compile_options(make_hud_icons PRIVATE ${QEL_WARNINGS})
# stb's own headers are not held to our warning flags.
target_include_directories(make_hud_icons SYSTEM PRIVATE ${STB_INCLUDE_DIRS})
target_include_directories(make_hud_icons PRIVATE ${CMAKE_SOURCE_DIR}/Tools/content/models)
set_target_properties(make_hud_icons PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

set(QEL_HUD_TEXTURE_DIR ${QEL_BIN_DIR}/assets/game/art/2d/Textures)
set(QEL_HUD_ICONS ${QEL_HUD_TEXTURE_DIR}/T_UI_LifeIcon.png ${QEL_HUD_TEXTURE_DIR}/T_UI_BatteryIcon.png
                  ${QEL_HUD_TEXTURE_DIR}/T_UI_LifeIncreaseIcon.dds)
add_custom_command(OUTPUT ${QEL_HUD_ICONS}
  COMMAND make_hud_icons ${QEL_HUD_TEXTURE_DIR}
  DEPENDS make_hud_icons
  COMMENT "Drawing the HUD icons")
add_custom_target(content_hud_icons DEPENDS ${QEL_HUD_ICONS})
add_dependencies(content content_hud_icons)
