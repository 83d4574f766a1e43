# The Windows Installer package of this build tree's architecture, made by
# Debian's wixl from installer/Kestro.wxs: Kestro-<file version>-<x86|x64>.msi
# in the build tree, built with the programs.
find_program(KESTRO_WIXL wixl REQUIRED)  # msitools
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(KESTRO_PACKAGE_ARCH x64)
else()
  set(KESTRO_PACKAGE_ARCH x86)
endif()
set(KESTRO_PACKAGE_SOURCE "${CMAKE_SOURCE_DIR}/installer/Kestro.wxs")

# wixl finds the files only by relative names: they are gathered under their
# installed names in one folder.
set(KESTRO_PACKAGE_FILES "${CMAKE_BINARY_DIR}/package")
set(package_inputs kestro.exe MirovanUpload.exe lib_info.dll kestro.ico)
list(TRANSFORM package_inputs PREPEND "${KESTRO_PACKAGE_FILES}/")
add_custom_command(OUTPUT ${package_inputs}
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${KESTRO_PACKAGE_FILES}"
  COMMAND "${CMAKE_COMMAND}" -E copy $<TARGET_FILE:kestro> "${KESTRO_PACKAGE_FILES}/kestro.exe"
  COMMAND "${CMAKE_COMMAND}" -E copy $<TARGET_FILE:MirovanUpload>
          "${KESTRO_PACKAGE_FILES}/MirovanUpload.exe"
  COMMAND "${CMAKE_COMMAND}" -E copy "${KESTRO_COUNTRY_DB}" "${KESTRO_PACKAGE_FILES}/lib_info.dll"
  COMMAND "${CMAKE_COMMAND}" -E copy "${KESTRO_ICON}" "${KESTRO_PACKAGE_FILES}/kestro.ico"
  DEPENDS kestro MirovanUpload "${KESTRO_COUNTRY_DB}" "${KESTRO_ICON}"
  COMMENT "Gathering the files of the package"
  VERBATIM)

# kestro_package(OUTPUT product_version): one package of the programs of this
# tree under the given product version (the install test also makes one of a
# later build).
function(kestro_package output product_version)
  add_custom_command(OUTPUT "${output}"
    COMMAND "${KESTRO_WIXL}" -a ${KESTRO_PACKAGE_ARCH} -o "${output}"
            -D Arch=${KESTRO_PACKAGE_ARCH} -D ProductVersion=${product_version}
            -D FileVersion=${KESTRO_FILE_VERSION} "${KESTRO_PACKAGE_SOURCE}"
    WORKING_DIRECTORY "${KESTRO_PACKAGE_FILES}"
    DEPENDS "${KESTRO_PACKAGE_SOURCE}" ${package_inputs}
    COMMENT "Packaging ${output}"
    VERBATIM)
endfunction()

set(KESTRO_PACKAGE "${CMAKE_BINARY_DIR}/Kestro-${KESTRO_FILE_VERSION}-${KESTRO_PACKAGE_ARCH}.msi")
kestro_package("${KESTRO_PACKAGE}" "${KESTRO_PRODUCT_VERSION}")
add_custom_target(kestro_package ALL DEPENDS "${KESTRO_PACKAGE}")
