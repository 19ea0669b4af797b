# Each of CPack's generators names its own package: the zip to unpack, the
# per-user setup program, the MSI (made by make_msi.cmake).
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "quilbert-${CPACK_PACKAGE_VERSION}-setup")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
elseif(CPACK_GENERATOR STREQUAL "External")
  set(CPACK_PACKAGE_FILE_NAME "quilbert-${CPACK_PACKAGE_VERSION}-msi")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
