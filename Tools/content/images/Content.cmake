# Pictures of the menus and screens, and the intro film, drawn by our own tools at build time.
# The film goes under the working directory the game runs in (the executable's folder, see
# Tools/run-game.sh), where the intro looks for it; everything else into the game asset root.
find_program(QEL_FFMPEG ffmpeg REQUIRED)
set(QEL_CONTENT_FONT_DIR /usr/share/fonts/truetype/dejavu)
foreach(tool make_ui_images make_intro_video)
  add_executable(${tool} ${CMAKE_CURRENT_LIST_DIR}/${tool}.cpp)
  target_compile_options(${tool} PRIVATE ${QEL_WARNINGS})
  # stb's own headers are not held to our warning flags.
  target_include_directories(${tool} SYSTEM PRIVATE ${STB_INCLUDE_DIRS})
  set_target_properties(${tool} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
endforeach()

set(QEL_UI_TEXTURE_DIR ${QEL_BIN_DIR}/assets/game/art/2d/Textures)
set(QEL_UI_IMAGES)
foreach(name T_UI_QELSplash T_UI_RuvSplash T_UI_MossbinSplash T_UI_Background T_UI_Background_Alt
             T_UI_MainMenuFrame T_UI_PauseBackground T_UI_PauseWindow T_UI_BlackScreen T_UI_TitleLogo
             T_UI_ButtonMedium T_UI_Button_Small T_UI_SelectionArrow T_UI_Slider T_UI_SliderGrabber
             T_UI_CreditsNames)
  list(APPEND QEL_UI_IMAGES ${QEL_UI_TEXTURE_DIR}/${name}.png)
endforeach()
list(APPEND QEL_UI_IMAGES ${QEL_UI_TEXTURE_DIR}/VignetteTexture.dds)
add_custom_command(OUTPUT ${QEL_UI_IMAGES}
  COMMAND make_ui_images ${QEL_CONTENT_FONT_DIR} ${QEL_BIN_DIR}/assets/game
  DEPENDS make_ui_images
  COMMENT "Drawing the menu and screen pictures")
add_custom_target(content_ui_images DEPENDS ${QEL_UI_IMAGES})
add_dependencies(content content_ui_images)

set(QEL_INTRO_VIDEO ${QEL_BIN_DIR}/art/2d/Videos/Cutscene_Intro.mp4)
add_custom_command(OUTPUT ${QEL_INTRO_VIDEO}
  COMMAND make_intro_video ${QEL_CONTENT_FONT_DIR} ${QEL_FFMPEG} ${QEL_INTRO_VIDEO}
  DEPENDS make_intro_video
  COMMENT "Making the intro film")
add_custom_target(content_intro_video DEPENDS ${QEL_INTRO_VIDEO})
add_dependencies(content content_intro_video)
