# The Linux programs' Debian package (`cpack` in the build folder), with what
# Debian's tools ask of one: hardened and stripped binaries, a machine-readable
# copyright file, a changelog, manual pages, shell completions, AppStream
# metadata. tests/packaging/debian_package_test.sh checks the result with those tools.

# The project's public address and its maintainers' mail. Placeholders under
# example.org until the project has a host of its own; the desktop id and the
# AppStream id follow the host, reversed.
set(QUILBERT_HOMEPAGE "https://quilbert.example.org")
set(QUILBERT_APP_ID org.example.quilbert)
set(QUILBERT_MAINTAINER "Quilbert developers <maintainers@quilbert.example.org>")

# Debian's hardening (dpkg-buildflags with hardening=+all): every target links
# `warnings`, so the flags ride on it. _FORTIFY_SOURCE does nothing, and warns,
# without optimisation: optimised builds only. The compiler builds PIE by
# default; the executables ask for it all the same.
add_library(hardening INTERFACE)
target_compile_options(hardening INTERFACE -fstack-protector-strong
  "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
target_link_options(hardening INTERFACE -Wl,-z,relro -Wl,-z,now)
target_link_libraries(warnings INTERFACE hardening)
include(CheckPIESupported)
check_pie_supported()
set_property(TARGET quilbert quilbert-cli PROPERTY POSITION_INDEPENDENT_CODE ON)

set(QUILBERT_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/quilbert)
set(QUILBERT_PACKAGING ${CMAKE_BINARY_DIR}/packaging)

# The changelog's newest entry is this version: a release without its entry
# stops here rather than ship a package whose changelog says otherwise.
file(STRINGS packaging/debian/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^quilbert \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/debian/changelog does not start with version ${PROJECT_VERSION}")
endif()
# The release's date for AppStream, from the entry's trailer line.
file(STRINGS packaging/debian/changelog changelog_date REGEX "^ -- .*  [A-Z][a-z][a-z], " LIMIT_COUNT 1)
string(REGEX MATCH "([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9])" _ "${changelog_date}")
set(day ${CMAKE_MATCH_1})
set(year ${CMAKE_MATCH_3})
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${CMAKE_MATCH_2}" month)
math(EXPR month "${month} + 1")
string(REGEX REPLACE "^([0-9])$" "0\\1" month "${month}")
string(REGEX REPLACE "^([0-9])$" "0\\1" day "${day}")
set(QUILBERT_RELEASE_DATE "${year}-${month}-${day}")
configure_file(packaging/debian/quilbert.metainfo.xml.in
               ${QUILBERT_PACKAGING}/${QUILBERT_APP_ID}.metainfo.xml @ONLY)

# Debian's format for the changelog: compressed at the highest level, without a
# time stamp.
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${QUILBERT_PACKAGING}/changelog.gz
  COMMAND ${GZIP} -9nc ${CMAKE_SOURCE_DIR}/packaging/debian/changelog > ${QUILBERT_PACKAGING}/changelog.gz
  DEPENDS packaging/debian/changelog VERBATIM)

# The manual pages, in English and French, from the catalogues and the command
# line's own definition (packaging/debian/man_page.cpp).
add_executable(man-page packaging/debian/man_page.cpp)
target_include_directories(man-page PRIVATE ${CLI_INCLUDE})
target_link_libraries(man-page PRIVATE cli)
set(man_pages)
foreach(language gb fr)
  set(folder ${QUILBERT_PACKAGING}/man/${language})
  foreach(page quilbert quilbert-cli)
    add_custom_command(OUTPUT ${folder}/${page}.1.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND man-page ${CMAKE_SOURCE_DIR}/lang/ langage_${language}.txt ${page}
              ${PROJECT_VERSION} ${folder}/${page}.1
      COMMAND ${GZIP} -9nf ${folder}/${page}.1
      DEPENDS man-page lang/langage_${language}.txt lang/langage_${language}.more.txt VERBATIM)
    list(APPEND man_pages ${folder}/${page}.1.gz)
  endforeach()
endforeach()
add_custom_target(debian_files ALL DEPENDS ${man_pages} ${QUILBERT_PACKAGING}/changelog.gz)

install(FILES ${QUILBERT_PACKAGING}/man/gb/quilbert.1.gz ${QUILBERT_PACKAGING}/man/gb/quilbert-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QUILBERT_PACKAGING}/man/fr/quilbert.1.gz ${QUILBERT_PACKAGING}/man/fr/quilbert-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/fr/man1)
install(FILES packaging/debian/completions/quilbert-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME quilbert-cli)
install(FILES packaging/debian/completions/_quilbert-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES share/quilbert.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        RENAME ${QUILBERT_APP_ID}.desktop)
install(FILES ${QUILBERT_PACKAGING}/${QUILBERT_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/debian/copyright ${QUILBERT_PACKAGING}/changelog.gz
        DESTINATION ${QUILBERT_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quilbert)
set(CPACK_PACKAGE_CONTACT "${QUILBERT_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Network drive mappings A to Z, connected by hand or at log-on")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quilbert keeps one user's network drive mappings (letters A to Z: activation,
login, password, share path) in one place and connects them on demand or at
log-on, waiting for a late network, with a notification-area icon, a share
browser, a network report and French and English texts.
.
Shares are mounted through the desktop's own mounts (GIO, gvfs), each letter a
link in ~/Drives. The package also holds quilbert-cli, the same commands for
scripts (status, connect, disconnect, browse, import and export of a Group
Policy Drives.xml), with manual pages and bash and zsh completion.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QUILBERT_HOMEPAGE}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# The libraries are found by dpkg-shlibdeps (the real network's module adds
# only GLib's). The SMB stack and Avahi's client are recommended: the program
# runs on a simulated network without them, loads libsmbclient only when it
# first asks a server something, browses without mDNS when Avahi is
# missing, and reads the keyring (libsecret) only for a login without a
# password.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libsmbclient, gvfs-backends, gvfs-fuse, dbus-user-session | dbus-x11, libavahi-client3, avahi-daemon, libsecret-1-0, libssl3")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# The package made from this build and checked by Debian's own tools. Packaged
# stripped, so a sanitizer's build makes a package too, but one Debian would
# never see: the check runs in the other builds.
if(QUILBERT_TESTS AND NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
  enable_testing()
  add_test(NAME debian_package
           COMMAND ${CMAKE_SOURCE_DIR}/tests/packaging/debian_package_test.sh ${CMAKE_BINARY_DIR} $<CONFIG>)
  set_tests_properties(debian_package PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
endif()
