# Run by cpack after the per-user setup is made: its winget manifest, with
# the setup's own checksum, beside it.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "-setup\\.exe$")
    file(SHA256 "${package}" SHA256)
    string(TOUPPER "${SHA256}" SHA256)
    get_filename_component(name "${package}" NAME)
    set(VERSION "${CPACK_PACKAGE_VERSION}")
    set(VENDOR "${CPACK_PACKAGE_VENDOR}")
    set(LICENSE "${CPACK_QUILBERT_LICENSE}")
    set(URL "${CPACK_QUILBERT_DOWNLOAD_URL}/${name}")
    configure_file("${CMAKE_CURRENT_LIST_DIR}/winget.yaml.in"
                   "${CPACK_PACKAGE_DIRECTORY}/quilbert-${VERSION}.winget.yaml" @ONLY)
  endif()
endforeach()
