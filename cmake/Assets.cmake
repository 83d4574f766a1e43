# Pictures assembled at build time from Debian's icon packages into the build
# tree (never committed), and linked into the programs as resources.

find_program(KESTRO_CONVERT convert REQUIRED)  # ImageMagick
set(KESTRO_FLAG_DIR "/usr/share/flags/countries/16x11" CACHE PATH "famfamfam-flag-png, 16 x 11")
set(KESTRO_SILK_DIR "/usr/share/icons/silk/16x16" CACHE PATH "famfamfam-silk, 16 x 16")
set(KESTRO_ASSET_DIR "${CMAKE_BINARY_DIR}/assets")
file(MAKE_DIRECTORY "${KESTRO_ASSET_DIR}")
# windres finds the generated files named in viewer/res/*.rc here.
include_directories("${KESTRO_ASSET_DIR}")

# SinFlags: 244 pictures of 16 x 16 side by side on magenta (the mask colour of
# ui/ImageLists.cpp). 0 to 238 are the flags of viewer/geo/FlagKeys.inc, 16 x 11
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
add_custom_target(kestro_assets DEPENDS "${KESTRO_FLAGS_BMP}")

# Programs that link viewer/res/Flags.rc: built after the strip, rebuilt with it.
set(KESTRO_FLAGS_RC "${CMAKE_SOURCE_DIR}/viewer/res/Flags.rc")
function(kestro_use_flag_strip target)
  add_dependencies(${target} kestro_assets)
  get_target_property(target_dir ${target} SOURCE_DIR)
  set_property(SOURCE "${KESTRO_FLAGS_RC}" DIRECTORY "${target_dir}"
    APPEND PROPERTY OBJECT_DEPENDS "${KESTRO_FLAGS_BMP}")
endfunction()
