# `cpack` in the Windows build folder makes three packages of the installed
# files: quilbert-<version>-windows.zip to unpack and run anywhere,
# quilbert-<version>-setup.exe (NSIS, per user, no elevation) for a person,
# and quilbert-<version>.msi (wixl, per machine) for an administrator's
# deployment.
set(CPACK_GENERATOR ZIP NSIS External)
set(CPACK_PACKAGE_NAME Quilbert)
set(CPACK_PACKAGE_VENDOR "Quilbert developers")
set(CPACK_PACKAGE_FILE_NAME quilbert-${PROJECT_VERSION}-windows)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_generators.cmake)
# Our own installer script in place of CPack's stock one.
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(CPACK_QUILBERT_ICON ${CMAKE_SOURCE_DIR}/ico/quilbert.ico)
set(quad ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0)
if(PROJECT_VERSION_PATCH)
  set(quad ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
endif()
set(CPACK_QUILBERT_VERSION_QUAD ${quad})
set(CPACK_EXTERNAL_ENABLE_STAGING ON)
set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/make_msi.cmake)
set(CPACK_QUILBERT_WXS ${CMAKE_CURRENT_LIST_DIR}/quilbert.wxs)
# The winget manifest names where the setup is published: set at release.
set(QUILBERT_DOWNLOAD_URL "https://quilbert.example.org/download/${PROJECT_VERSION}"
    CACHE STRING "Where the Windows packages are published (the winget manifest's address)")
set(CPACK_QUILBERT_DOWNLOAD_URL ${QUILBERT_DOWNLOAD_URL})
set(CPACK_QUILBERT_LICENSE "LicenseRef-proprietary")
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/winget_manifest.cmake)
include(CPack)
