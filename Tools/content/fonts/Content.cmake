# Fonts of the asset tree: free DejaVu faces from Debian (fonts-dejavu-core) under the names the
# game asks for, each folder with the DejaVu licence beside its fonts. FreeType reads a face by its
# contents, so a TrueType file under an .otf name loads like any other.
#   Text/arial.ttf                           DejaVu Sans (timer and early HUD texts)
#   art/2d/Fonts/Nippo/Nippo-Medium.otf      DejaVu Sans Bold (menus, HUD)
#   art/2d/Fonts/Nippo/Nippo-Regular.otf     DejaVu Sans (loading screen, credits)
set(QEL_DEJAVU_DIR /usr/share/fonts/truetype/dejavu)
set(QEL_DEJAVU_LICENCE /usr/share/doc/fonts-dejavu-core/copyright)
foreach(f ${QEL_DEJAVU_DIR}/DejaVuSans.ttf ${QEL_DEJAVU_DIR}/DejaVuSans-Bold.ttf ${QEL_DEJAVU_LICENCE})
  if(NOT EXISTS ${f})
    message(FATAL_ERROR "${f} is missing: install the Debian package fonts-dejavu-core (Tools/setup.sh does)")
  endif()
endforeach()

set(QEL_FONT_ROOT ${QEL_BIN_DIR}/assets/engine)
set(QEL_FONT_OUTPUTS
  ${QEL_FONT_ROOT}/Text/arial.ttf
  ${QEL_FONT_ROOT}/Text/LICENSE-DejaVu.txt
  ${QEL_FONT_ROOT}/art/2d/Fonts/Nippo/Nippo-Medium.otf
  ${QEL_FONT_ROOT}/art/2d/Fonts/Nippo/Nippo-Regular.otf
  ${QEL_FONT_ROOT}/art/2d/Fonts/Nippo/LICENSE-DejaVu.txt)
add_custom_command(
  OUTPUT ${QEL_FONT_OUTPUTS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QEL_FONT_ROOT}/Text ${QEL_FONT_ROOT}/art/2d/Fonts/Nippo
  COMMAND ${CMAKE_COMMAND} -E copy ${QEL_DEJAVU_DIR}/DejaVuSans.ttf ${QEL_FONT_ROOT}/Text/arial.ttf
  COMMAND ${CMAKE_COMMAND} -E copy ${QEL_DEJAVU_LICENCE} ${QEL_FONT_ROOT}/Text/LICENSE-DejaVu.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${QEL_DEJAVU_DIR}/DejaVuSans-Bold.ttf ${QEL_FONT_ROOT}/art/2d/Fonts/Nippo/Nippo-Medium.otf
  COMMAND ${CMAKE_COMMAND} -E copy ${QEL_DEJAVU_DIR}/DejaVuSans.ttf ${QEL_FONT_ROOT}/art/2d/Fonts/Nippo/Nippo-Regular.otf
  COMMAND ${CMAKE_COMMAND} -E copy ${QEL_DEJAVU_LICENCE} ${QEL_FONT_ROOT}/art/2d/Fonts/Nippo/LICENSE-DejaVu.txt
  DEPENDS ${QEL_DEJAVU_DIR}/DejaVuSans.ttf ${QEL_DEJAVU_DIR}/DejaVuSans-Bold.ttf ${QEL_DEJAVU_LICENCE}
  COMMENT "Placing the DejaVu fonts in the asset tree"
  VERBATIM)
add_custom_target(content_fonts DEPENDS ${QEL_FONT_OUTPUTS})
add_dependencies(content content_fonts)
