# The asset tree and settings beside the executable, so the game runs straight from the build.
# Sources live in the repository (settings/, Assets/); generated content is added by the tools below.
set(QEL_ASSET_SOURCE_DIR ${CMAKE_SOURCE_DIR}/Assets)

add_custom_target(content ALL
  # Never over a copy the user edited (see InstallSettings.cmake).
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR}/settings/Game.json -DTARGET=${QEL_BIN_DIR}/settings/Game.json
          -DRECORD=${CMAKE_BINARY_DIR}/installed-settings/Game.json -P ${CMAKE_CURRENT_LIST_DIR}/InstallSettings.cmake
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${QEL_ASSET_SOURCE_DIR}/Engine ${QEL_BIN_DIR}/assets/engine
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${QEL_ASSET_SOURCE_DIR}/Game ${QEL_BIN_DIR}/assets/game
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${QEL_ASSET_SOURCE_DIR}/Cooked ${QEL_BIN_DIR}/assets/cooked
  COMMENT "Laying out settings and assets in ${QEL_BIN_DIR}"
  VERBATIM)
add_dependencies(Game content)

# A model generator over our FBX writer: built into tools/, run over the game's asset tree once
# the tree is laid out (so the copy of Assets/Game does not race it), before the game.
#   qel_add_model_generator(<tool> <content target> "<comment>" <sources>...)
function(qel_add_model_generator tool target comment)
  add_executable(${tool} ${ARGN} ${CMAKE_SOURCE_DIR}/Tools/content/models/FbxWriter.cpp)
  target_include_directories(${tool} PRIVATE ${CMAKE_SOURCE_DIR}/Tools/content/models)
  target_compile_options(${tool} PRIVATE ${QEL_WARNINGS})
  set_target_properties(${tool} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
  set(stamp ${CMAKE_BINARY_DIR}/tools/${tool}.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${tool} ${QEL_BIN_DIR}/assets/game
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${tool}
    COMMENT "${comment}")
  add_custom_target(${target} DEPENDS ${stamp})
  add_dependencies(${target} content)
  add_dependencies(Game ${target})
endfunction()

# Generated content (one file per tool) hooks in here.
file(GLOB QEL_CONTENT_TOOLS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Tools/content/*/Content.cmake)
foreach(f ${QEL_CONTENT_TOOLS})
  include(${f})
endforeach()

# The checker reads what every generator writes, so it runs after all of them.
get_property(QEL_TOP_TARGETS DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTY BUILDSYSTEM_TARGETS)
foreach(t ${QEL_TOP_TARGETS})
  if(t MATCHES "^content_" AND NOT t STREQUAL "content_check")
    add_dependencies(content_check ${t})
  endif()
endforeach()
