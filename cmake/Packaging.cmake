# What an installed Quorvel needs besides its two programs (which install
# beside their targets in src/): the launcher the menu entry runs, the menu
# entry, its icon, the AppStream metainfo, the manual pages, the bash
# completion of quorvel-tool and the package's own documents; then the
# Debian package CPack makes of all that (scripts/package.sh).
# The pictures the windows show are compiled into the program; nothing is
# read from the source tree at run time.

# The program's own version, as the About box and the tear line give it.
file(STRINGS ${PROJECT_SOURCE_DIR}/src/core/Startup.h version_line REGEX "ProgramVersion = \"[^\"]+\"")
if(NOT version_line MATCHES "\"([^\"]+)\"")
  message(FATAL_ERROR "No ProgramVersion in src/core/Startup.h")
endif()
set(QUORVEL_VERSION ${CMAKE_MATCH_1})
set(QUORVEL_RELEASE_DATE 2026-12-07)
# The project has no home on the net yet: the homepage (and the AppStream
# identifier, its reversed domain) are placeholders in a domain reserved for
# examples, so the metainfo validates without the network.
set(QUORVEL_HOMEPAGE https://quorvel.example.org/)
set(QUORVEL_APPSTREAM_ID org.example.quorvel)
set(QUORVEL_MAINTAINER "Quorvel developers <quorvel@example.org>")

set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
set(generated_dir ${PROJECT_BINARY_DIR}/packaging)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The documents shipped compressed, as Debian wants them; gzip -n keeps the
# files the same from build to build.
function(quorvel_gzipped source output)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9nc ${source} > ${output}
    DEPENDS ${source} VERBATIM)
endfunction()

execute_process(COMMAND date -u -R -d ${QUORVEL_RELEASE_DATE}
  OUTPUT_VARIABLE QUORVEL_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${packaging_dir}/changelog.in ${generated_dir}/changelog @ONLY)
quorvel_gzipped(${generated_dir}/changelog ${generated_dir}/changelog.gz)
set(documents ${generated_dir}/changelog.gz)

set(man_pages quorvel-tool)
if(QUORVEL_BUILD_UI)
  list(APPEND man_pages quorvel)
endif()
foreach(page ${man_pages})
  configure_file(${PROJECT_SOURCE_DIR}/docs/${page}.1.in ${generated_dir}/${page}.1 @ONLY)
  quorvel_gzipped(${generated_dir}/${page}.1 ${generated_dir}/${page}.1.gz)
  list(APPEND documents ${generated_dir}/${page}.1.gz)
  install(FILES ${generated_dir}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(quorvel_documents ALL DEPENDS ${documents})

install(FILES ${generated_dir}/changelog.gz ${packaging_dir}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvel)
install(FILES ${packaging_dir}/quorvel-tool.bash-completion
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME quorvel-tool)

if(QUORVEL_BUILD_UI)
  # The launcher finds the programs from where it lies, so an unpacked
  # package works wherever it is.
  set(launcher_dir ${CMAKE_INSTALL_FULL_LIBEXECDIR}/quorvel)
  file(RELATIVE_PATH QUORVEL_BINDIR_FROM_LAUNCHER ${launcher_dir} ${CMAKE_INSTALL_FULL_BINDIR})
  configure_file(${packaging_dir}/quorvel-start ${generated_dir}/quorvel-start @ONLY)
  install(PROGRAMS ${generated_dir}/quorvel-start DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quorvel)

  set(QUORVEL_LAUNCHER ${launcher_dir}/quorvel-start)
  configure_file(${packaging_dir}/quorvel.desktop.in ${generated_dir}/quorvel.desktop @ONLY)
  install(FILES ${generated_dir}/quorvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${packaging_dir}/quorvel.metainfo.xml.in ${generated_dir}/${QUORVEL_APPSTREAM_ID}.metainfo.xml @ONLY)
  install(FILES ${generated_dir}/${QUORVEL_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  install(FILES ${packaging_dir}/icons/quorvel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(DIRECTORY ${packaging_dir}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()

# The Debian package: scripts/package.sh configures a Release build with the
# installation prefix /usr and runs cpack -G DEB in it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VERSION ${QUORVEL_VERSION})
set(CPACK_PACKAGE_CONTACT ${QUORVEL_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUORVEL_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own buttons and menus in Russian, as the rest of the program (it runs,
# with those texts in English, without).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The synopsis on the first line, then the long description in English and Russian.
file(READ ${packaging_dir}/description description)
string(STRIP "${description}" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
include(CPack)
