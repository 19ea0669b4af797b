# CPack's External generator runs this with the files staged: the MSI is made
# from them by msitools' wixl, beside the zip and the setup program.
set(stage "${CPACK_TEMPORARY_DIRECTORY}")
set(work "${CPACK_TOPLEVEL_DIRECTORY}/msi")
set(msi "${CPACK_PACKAGE_DIRECTORY}/quilbert-${CPACK_PACKAGE_VERSION}.msi")
file(MAKE_DIRECTORY "${work}")
file(GLOB_RECURSE files RELATIVE "${stage}" "${stage}/*")
list(SORT files)
list(TRANSFORM files PREPEND "${stage}/")
list(JOIN files "\n" listing)
file(WRITE "${work}/files.txt" "${listing}\n")
execute_process(
  COMMAND wixl-heat -p "${stage}/" --component-group ProgramFiles --var var.Stage
          --directory-ref INSTALLDIR --win64
  INPUT_FILE "${work}/files.txt" OUTPUT_FILE "${work}/files.wxs" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "wixl-heat failed (${rc})")
endif()
# wixl takes its sources' paths relative to where it runs (an absolute one
# trips an assertion of GIO's).
file(COPY "${CPACK_QUILBERT_WXS}" "${CPACK_QUILBERT_ICON}" DESTINATION "${work}")
file(RELATIVE_PATH staged "${work}" "${stage}")
get_filename_component(icon "${CPACK_QUILBERT_ICON}" NAME)
get_filename_component(wxs "${CPACK_QUILBERT_WXS}" NAME)
execute_process(
  COMMAND wixl --arch x64 -D Win64=yes -D "Version=${CPACK_PACKAGE_VERSION}"
          -D "Vendor=${CPACK_PACKAGE_VENDOR}" -D "Icon=${icon}" -D "Stage=${staged}" -o "${msi}"
          "${wxs}" files.wxs
  WORKING_DIRECTORY "${work}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
# wixl drops what it does not know with a warning only: a dropped attribute
# is a part of the package silently missing, so any word from it fails.
if(NOT rc EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
  file(REMOVE "${msi}")
  message(FATAL_ERROR "wixl: ${out}${err}")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES "${msi}")
