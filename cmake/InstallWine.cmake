# Puts the programs and the country database where they look for themselves:
# C:\Program Files\Kestro of the build tree's Wine prefix.
file(MAKE_DIRECTORY "${INSTALL_DIR}")
file(COPY_FILE "${KESTRO_EXE}" "${INSTALL_DIR}/kestro.exe" ONLY_IF_DIFFERENT)
file(COPY_FILE "${UPLOAD_EXE}" "${INSTALL_DIR}/MirovanUpload.exe" ONLY_IF_DIFFERENT)
file(COPY_FILE "${COUNTRY_DB}" "${INSTALL_DIR}/lib_info.dll" ONLY_IF_DIFFERENT)
