# What `cmake --install` (and `make install`) puts where. The executable finds its data as
# ../share/spraywick/data from its own folder, so its folder must sit beside share/; a relocated
# or DESTDIR installation then works as it is.

# Kept here so that the manual page, the software-centre entry and the package agree.
set(SPRAYWICK_RELEASE_DATE 2026-12-07)
# Where the game is published. The reserved .example name stands in until the project has a
# public home; the software-centre entry takes its screenshot from there.
set(SPRAYWICK_HOMEPAGE "https://spraywick.example" CACHE STRING "The game's public home page")
set(SPRAYWICK_APPSTREAM_ID "example.spraywick.Spraywick" CACHE STRING
    "Software-centre id, the home page's domain reversed")

# Debian keeps games in games/ beside bin/, on every player's PATH.
set(SPRAYWICK_BINDIR games CACHE STRING "Folder of the executable under the prefix, beside share/")
set(SPRAYWICK_MAINTAINER "Spraywick developers <developers@spraywick.example>"
    CACHE STRING "Name and e-mail address of whoever answers for the package")

set(dist ${CMAKE_BINARY_DIR}/dist)
configure_file(dist/spraywick.metainfo.xml.in ${dist}/${SPRAYWICK_APPSTREAM_ID}.metainfo.xml @ONLY)
configure_file(dist/spraywick.6.in ${dist}/spraywick.6 @ONLY)
# The changelog's entry carries its date in the mail form Debian reads.
execute_process(COMMAND date -u -R -d ${SPRAYWICK_RELEASE_DATE}
  OUTPUT_VARIABLE SPRAYWICK_RELEASE_TIME OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(dist/changelog.in ${dist}/changelog @ONLY)

# Manual pages and changelogs are installed compressed; -n keeps the build time out of them.
foreach(file spraywick.6 changelog)
  add_custom_command(OUTPUT ${dist}/${file}.gz
    COMMAND gzip -n -9 -c ${dist}/${file} > ${dist}/${file}.gz
    DEPENDS ${dist}/${file} VERBATIM)
endforeach()
add_custom_target(spraywick_docs ALL DEPENDS ${dist}/spraywick.6.gz ${dist}/changelog.gz)

install(TARGETS spraywick RUNTIME DESTINATION ${SPRAYWICK_BINDIR})
install(DIRECTORY data/ DESTINATION share/spraywick/data)
# The menu starts the game by its full path, since games/ is not on root's PATH. The prefix may
# be given only when installing, so the entry is written then.
install(CODE "
  set(SPRAYWICK_EXECUTABLE \"\${CMAKE_INSTALL_PREFIX}/${SPRAYWICK_BINDIR}/spraywick\")
  set(entry \"\${CMAKE_INSTALL_PREFIX}/share/applications/spraywick.desktop\")
  message(STATUS \"Installing: \$ENV{DESTDIR}\${entry}\")
  configure_file(\"${CMAKE_SOURCE_DIR}/dist/spraywick.desktop.in\" \"\$ENV{DESTDIR}\${entry}\" @ONLY)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${entry}\")
")
foreach(size 48 64 128 256)
  install(FILES dist/icons/spraywick-${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME spraywick.png)
endforeach()
install(FILES ${dist}/${SPRAYWICK_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${dist}/spraywick.6.gz DESTINATION share/man/man6)
install(FILES dist/copyright ${dist}/changelog.gz DESTINATION share/doc/spraywick)
