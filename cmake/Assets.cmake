# Pictures assembled at build time from Debian's icon packages into the build
# tree (never committed), and linked into the programs as resources.

find_program(KESTRO_CONVERT convert REQUIRED)  # ImageMagick
set(KESTRO_FLAG_DIR "/usr/share/flags/countries/16x11" CACHE PATH "famfamfam-flag-png, 16 x 11")
set(KESTRO_SILK_DIR "/usr/share/icons/silk/16x16" CACHE PATH "famfamfam-silk, 16 x 16")
set(KESTRO_ART_FONT "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc" CACHE FILEPATH
  "fonts-wqy-microhei, the emblem's lettering")
set(KESTRO_ASSET_DIR "${CMAKE_BINARY_DIR}/assets")
file(MAKE_DIRECTORY "${KESTRO_ASSET_DIR}")
# windres finds the generated files named in viewer/res/*.rc here.
include_directories("${KESTRO_ASSET_DIR}")

# SinFlags: 244 pictures of 16 x 16 side by side on magenta (the mask colour of
# ui/controls/ImageLists.cpp). 0 to 238 are the flags of viewer/geo/FlagKeys.inc, 16 x 11
# centred; then the question mark, a green square (drawn), the European Union,
# a computer and Serbia.
set(KESTRO_FLAG_KEYS_FILE "${CMAKE_SOURCE_DIR}/viewer/geo/FlagKeys.inc")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${KESTRO_FLAG_KEYS_FILE}")
file(READ "${KESTRO_FLAG_KEYS_FILE}" flag_keys_text)
string(REGEX MATCHALL "L\"[^\"]+\"" flag_keys "${flag_keys_text}")
set(flag_inputs)
foreach(key IN LISTS flag_keys)
  string(REGEX REPLACE "^L\"(.*)\"$" "\\1" key "${key}")
  string(TOLOWER "${key}" key)
  list(APPEND flag_inputs "${KESTRO_FLAG_DIR}/${key}.png")
endforeach()
list(LENGTH flag_inputs flag_count)
if(NOT flag_count EQUAL 239)
  message(FATAL_ERROR "FlagKeys.inc names ${flag_count} flags instead of 239")
endif()

set(KESTRO_FLAGS_BMP "${KESTRO_ASSET_DIR}/kestro_flags.bmp")
set(flag_markers
  "${KESTRO_SILK_DIR}/help.png"
  "(" -size 16x16 xc:none -fill "#00B000" -draw "rectangle 3,3,12,12" ")"
  "${KESTRO_FLAG_DIR}/europeanunion.png"
  "${KESTRO_SILK_DIR}/computer.png"
  "${KESTRO_FLAG_DIR}/rs.png")
add_custom_command(OUTPUT "${KESTRO_FLAGS_BMP}"
  COMMAND "${KESTRO_CONVERT}" ${flag_inputs} ${flag_markers}
          -background none -gravity center -extent 16x16 +repage +append +repage
          -channel A -threshold 50% +channel -background magenta -flatten
          -type TrueColor "BMP3:${KESTRO_FLAGS_BMP}"
  DEPENDS ${flag_inputs} "${KESTRO_SILK_DIR}/help.png" "${KESTRO_SILK_DIR}/computer.png"
          "${KESTRO_FLAG_DIR}/europeanunion.png" "${KESTRO_FLAG_KEYS_FILE}"
  COMMENT "Assembling the flag strip"
  VERBATIM)
# Pictures with an alpha channel are 32-bit BMPs with a plain 40-byte header,
# the alpha in each pixel's fourth byte: LoadImage keeps it as it is.
set(alpha_bmp -type TrueColorAlpha -define bmp3:alpha=true)

# The command strip: the silk pictures of viewer/res/CommandPictures.inc, in
# its order, side by side.
set(KESTRO_COMMAND_PICTURES_FILE "${CMAKE_SOURCE_DIR}/viewer/res/CommandPictures.inc")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${KESTRO_COMMAND_PICTURES_FILE}")
file(STRINGS "${KESTRO_COMMAND_PICTURES_FILE}" picture_lines REGEX "^KESTRO_PICTURE\\(")
set(command_inputs)
foreach(line IN LISTS picture_lines)
  if(NOT line MATCHES "^KESTRO_PICTURE\\([A-Za-z0-9]+, \"([a-z0-9_]+)\"\\)$")
    message(FATAL_ERROR "CommandPictures.inc: cannot read '${line}'")
  endif()
  list(APPEND command_inputs "${KESTRO_SILK_DIR}/${CMAKE_MATCH_1}.png")
endforeach()
set(KESTRO_COMMANDS_BMP "${KESTRO_ASSET_DIR}/kestro_commands.bmp")
add_custom_command(OUTPUT "${KESTRO_COMMANDS_BMP}"
  COMMAND "${KESTRO_CONVERT}" -background none ${command_inputs} +append +repage
          ${alpha_bmp} "BMP3:${KESTRO_COMMANDS_BMP}"
  DEPENDS ${command_inputs} "${KESTRO_COMMAND_PICTURES_FILE}"
  COMMENT "Assembling the command pictures"
  VERBATIM)

# The tray's blink: two cubes seen from above, blue then red, our own drawing.
function(kestro_cube out top left right)
  set(${out} "(" -size 16x16 xc:none -stroke none
      -fill "${top}" -draw "polygon 8,1 15,4.5 8,8 1,4.5"
      -fill "${left}" -draw "polygon 1,4.5 8,8 8,15 1,11.5"
      -fill "${right}" -draw "polygon 8,8 15,4.5 15,11.5 8,15" ")" PARENT_SCOPE)
endfunction()
kestro_cube(blue_cube "#7DB4FF" "#2F66D6" "#1B3F94")
kestro_cube(red_cube "#FF8C7E" "#D3362A" "#8E1A12")
set(KESTRO_CUBES_BMP "${KESTRO_ASSET_DIR}/kestro_cubes.bmp")
add_custom_command(OUTPUT "${KESTRO_CUBES_BMP}"
  COMMAND "${KESTRO_CONVERT}" -background none ${blue_cube} ${red_cube} +append +repage
          ${alpha_bmp} "BMP3:${KESTRO_CUBES_BMP}"
  COMMENT "Drawing the tray cubes"
  VERBATIM)

# The emblem, our own drawing: a teal disc with a light ring and three joined
# nodes, transparent around it. The disc fills the splash's elliptic region
# (42, 40)-(239, 238). The program icon is the disc alone; the splash adds the
# name.
set(emblem_disc -size 280x280 "gradient:#3CC3C6-#1B4E8C"
  "(" -size 280x280 xc:black -fill white -draw "circle 140,140 140,42" ")"
  -alpha off -compose CopyOpacity -composite -compose Over
  -fill none -stroke "#E8F8FF" -strokewidth 5 -draw "circle 140,140 140,54"
  -stroke white -strokewidth 7
  -draw "line 140,86 98,146" -draw "line 140,86 182,146" -draw "line 98,146 182,146"
  -stroke none -fill white
  -draw "circle 140,86 140,71" -draw "circle 98,146 98,131" -draw "circle 182,146 182,131")
set(KESTRO_SPLASH_BMP "${KESTRO_ASSET_DIR}/kestro_splash.bmp")
add_custom_command(OUTPUT "${KESTRO_SPLASH_BMP}"
  COMMAND "${KESTRO_CONVERT}" ${emblem_disc}
          -font "${KESTRO_ART_FONT}" -pointsize 30 -fill white -gravity north
          -annotate +0+172 Kestro ${alpha_bmp} "BMP3:${KESTRO_SPLASH_BMP}"
  DEPENDS "${KESTRO_ART_FONT}"
  COMMENT "Drawing the splash emblem"
  VERBATIM)
# MAINICON: the disc cropped to its bounds, at 48, 32 and 16 pixels.
set(KESTRO_ICON "${KESTRO_ASSET_DIR}/kestro.ico")
add_custom_command(OUTPUT "${KESTRO_ICON}"
  COMMAND "${KESTRO_CONVERT}" ${emblem_disc} -crop 198x198+41+41 +repage
          "(" -clone 0 -resize 48x48 ")" "(" -clone 0 -resize 32x32 ")"
          "(" -clone 0 -resize 16x16 ")" -delete 0 "ICO:${KESTRO_ICON}"
  COMMENT "Drawing the program icon"
  VERBATIM)

add_custom_target(kestro_assets DEPENDS "${KESTRO_FLAGS_BMP}" "${KESTRO_COMMANDS_BMP}"
  "${KESTRO_CUBES_BMP}" "${KESTRO_SPLASH_BMP}" "${KESTRO_ICON}")

# Programs that link viewer/res/*.rc: built after the pictures, rebuilt with them.
set(KESTRO_FLAGS_RC "${CMAKE_SOURCE_DIR}/viewer/res/Flags.rc")
set(KESTRO_ARTWORK_RC "${CMAKE_SOURCE_DIR}/viewer/res/Artwork.rc")
set(KESTRO_MANIFEST_RC "${CMAKE_SOURCE_DIR}/viewer/res/Manifest.rc")
function(kestro_use_assets target)
  add_dependencies(${target} kestro_assets)
  get_target_property(target_dir ${target} SOURCE_DIR)
  set_property(SOURCE "${KESTRO_FLAGS_RC}" DIRECTORY "${target_dir}"
    APPEND PROPERTY OBJECT_DEPENDS "${KESTRO_FLAGS_BMP}")
  set_property(SOURCE "${KESTRO_ARTWORK_RC}" DIRECTORY "${target_dir}"
    APPEND PROPERTY OBJECT_DEPENDS "${KESTRO_COMMANDS_BMP}" "${KESTRO_CUBES_BMP}"
    "${KESTRO_SPLASH_BMP}" "${KESTRO_ICON}")
  set_property(SOURCE "${KESTRO_MANIFEST_RC}" DIRECTORY "${target_dir}"
    APPEND PROPERTY OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/viewer/res/kestro.manifest")
endfunction()
