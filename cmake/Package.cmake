# The Debian package (scripts/package): install rules in Debian's layout for
# games, the files only a package needs, and CPack's DEB generator.
#   /usr/games/ilsmark                        the launcher (packaging/ilsmark)
#   /usr/lib/games/ilsmark/ilsmark            the game
#   /usr/share/games/ilsmark/Resources/       assets and data, the first save included
# plus the desktop entry, the icon, the AppStream metadata, the man page and
# the copyright file and changelog.

set(PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(PACKAGE_BUILD_DIR ${CMAKE_BINARY_DIR}/package)
set(INSTALLED_RESOURCES share/games/ilsmark/Resources)
# Where the AppStream metadata points for the homepage and its screenshots.
set(ILSMARK_HOMEPAGE "https://c-seed-702dbcb8.example/ilsmark" CACHE STRING
    "The game's web address, for the package and its AppStream metadata")
file(MAKE_DIRECTORY ${PACKAGE_BUILD_DIR})

# Made by the build: the icon from the player's standing frame, the metadata
# and man page with the version, and the compressed documents.
add_custom_command(OUTPUT ${PACKAGE_BUILD_DIR}/ilsmark.svg
  COMMAND assetgen icon ${ART_PALETTE} ${CMAKE_SOURCE_DIR}/content/art/PlayerStand.pix
          ${PACKAGE_BUILD_DIR}/ilsmark.svg
  DEPENDS assetgen ${ART_PALETTE} ${CMAKE_SOURCE_DIR}/content/art/PlayerStand.pix
  COMMENT "Drawing the icon ilsmark.svg"
  VERBATIM)
configure_file(${PACKAGING_DIR}/ilsmark.metainfo.xml.in ${PACKAGE_BUILD_DIR}/ilsmark.metainfo.xml @ONLY)
configure_file(${PACKAGING_DIR}/ilsmark.6.in ${PACKAGE_BUILD_DIR}/ilsmark.6 @ONLY)
# Debian wants documents compressed with gzip -9n (no name or time stamp inside).
foreach(doc ${PACKAGE_BUILD_DIR}/ilsmark.6 ${PACKAGING_DIR}/changelog)
  get_filename_component(name ${doc} NAME)
  add_custom_command(OUTPUT ${PACKAGE_BUILD_DIR}/${name}.gz
    COMMAND gzip -9nc ${doc} > ${PACKAGE_BUILD_DIR}/${name}.gz
    DEPENDS ${doc}
    COMMENT "Compressing ${name}")
  list(APPEND PACKAGE_FILES ${PACKAGE_BUILD_DIR}/${name}.gz)
endforeach()
add_custom_target(package_files ALL DEPENDS ${PACKAGE_BUILD_DIR}/ilsmark.svg ${PACKAGE_FILES})
# The font is the one fonts-dejavu-core installs, by a link relative within /usr.
file(CREATE_LINK ../../../../fonts/truetype/dejavu/DejaVuSans.ttf
     ${PACKAGE_BUILD_DIR}/DejaVuSans.ttf SYMBOLIC)

install(TARGETS ilsmark RUNTIME DESTINATION lib/games/ilsmark)
install(PROGRAMS ${PACKAGING_DIR}/ilsmark DESTINATION games)
set(GENERATED_ASSETS ${STAGED_CONTENT})
list(FILTER GENERATED_ASSETS INCLUDE REGEX "^${ASSETS_DIR}/")
list(REMOVE_ITEM GENERATED_ASSETS ${ASSETS_DIR}/DejaVuSans.ttf)
install(FILES ${GENERATED_ASSETS} ${PACKAGE_BUILD_DIR}/DejaVuSans.ttf
        DESTINATION ${INSTALLED_RESOURCES}/Assets)
# Data from the sources, never the run folder, which holds the developer's save.
install(FILES ${DATA_FILES} ${CMAKE_SOURCE_DIR}/content/data/GameData.txt
        DESTINATION ${INSTALLED_RESOURCES}/Data)
install(FILES ${PACKAGING_DIR}/ilsmark.desktop DESTINATION share/applications)
install(FILES ${PACKAGE_BUILD_DIR}/ilsmark.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${PACKAGE_BUILD_DIR}/ilsmark.metainfo.xml DESTINATION share/metainfo)
install(FILES ${PACKAGE_BUILD_DIR}/ilsmark.6.gz DESTINATION share/man/man6)
install(FILES ${PACKAGING_DIR}/copyright ${PACKAGE_BUILD_DIR}/changelog.gz
        DESTINATION share/doc/ilsmark)
install(FILES ${PACKAGING_DIR}/lintian-overrides DESTINATION share/lintian/overrides
        RENAME ilsmark)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ilsmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "Seed 702dbcb8 maintainers <maintainers@users.noreply.c-seed-702dbcb8.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ILSMARK_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-dejavu-core)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "side-scrolling platform game in ten cave levels")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Run, jump, drop through one-way platforms and shoot your way through ten
cave levels guarded by patrolling beetles, stalkers and birds, and gather
enough gold to open each level's door. Played with the keyboard alone.
.
Every player's progress is kept in their own home folder.")
include(CPack)
