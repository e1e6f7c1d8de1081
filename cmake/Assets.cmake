# Generates the game's bitmaps and sounds from the text under content/ with
# tools/assetgen. One command per output, each depending on its own source
# (and the shared palette for pictures), so an edited file regenerates only
# what it makes. Outputs join STAGED_CONTENT, which the content target builds.

set(ASSETGEN_DIR ${CMAKE_SOURCE_DIR}/tools/assetgen)
add_library(assetgen_lib STATIC
  ${ASSETGEN_DIR}/Bmp.cpp
  ${ASSETGEN_DIR}/ByteIo.cpp
  ${ASSETGEN_DIR}/ContentError.cpp
  ${ASSETGEN_DIR}/Music.cpp
  ${ASSETGEN_DIR}/PixelArt.cpp
  ${ASSETGEN_DIR}/SoundRecipe.cpp
  ${ASSETGEN_DIR}/Svg.cpp
  ${ASSETGEN_DIR}/Synth.cpp
  ${ASSETGEN_DIR}/TextSource.cpp
  ${ASSETGEN_DIR}/Wav.cpp)
target_include_directories(assetgen_lib PUBLIC ${ASSETGEN_DIR})

add_executable(assetgen ${ASSETGEN_DIR}/main.cpp)
target_link_libraries(assetgen PRIVATE assetgen_lib)

set(ART_PALETTE ${CMAKE_SOURCE_DIR}/content/art/palette.txt)

# Pictures: content/art/<Name>.pix -> <Name>.bmp
file(GLOB ART_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/content/art/*.pix)
foreach(src ${ART_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_custom_command(OUTPUT ${ASSETS_DIR}/${name}.bmp
    COMMAND assetgen art ${ART_PALETTE} ${src} ${ASSETS_DIR}/${name}.bmp
    DEPENDS assetgen ${src} ${ART_PALETTE}
    COMMENT "Drawing ${name}.bmp"
    VERBATIM)
  list(APPEND STAGED_CONTENT ${ASSETS_DIR}/${name}.bmp)
endforeach()

# Sound effects: content/sound/<Name>.sfx -> <Name>.WAV
file(GLOB SOUND_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/content/sound/*.sfx)
foreach(src ${SOUND_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_custom_command(OUTPUT ${ASSETS_DIR}/${name}.WAV
    COMMAND assetgen sound ${src} ${ASSETS_DIR}/${name}.WAV
    DEPENDS assetgen ${src}
    COMMENT "Synthesising ${name}.WAV"
    VERBATIM)
  list(APPEND STAGED_CONTENT ${ASSETS_DIR}/${name}.WAV)
endforeach()

# Music: content/music/<Name>.song -> <Name>.WAV
file(GLOB MUSIC_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/content/music/*.song)
foreach(src ${MUSIC_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_custom_command(OUTPUT ${ASSETS_DIR}/${name}.WAV
    COMMAND assetgen music ${src} ${ASSETS_DIR}/${name}.WAV
    DEPENDS assetgen ${src}
    COMMENT "Composing ${name}.WAV"
    VERBATIM)
  list(APPEND STAGED_CONTENT ${ASSETS_DIR}/${name}.WAV)
endforeach()

# The generator's own tests, and checks of the shipped content against what
# the game expects (names, frame sizes, loudness, loop seam).
if(ILSMARK_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
  file(GLOB ASSETGEN_TEST_SOURCES CONFIGURE_DEPENDS ${ASSETGEN_DIR}/tests/*.cpp)
  add_executable(assetgen_tests ${ASSETGEN_TEST_SOURCES})
  target_link_libraries(assetgen_tests PRIVATE assetgen_lib GTest::gtest GTest::gtest_main)
  target_compile_definitions(assetgen_tests PRIVATE
    ASSETGEN_CONTENT_DIR="${CMAKE_SOURCE_DIR}/content")
  gtest_discover_tests(assetgen_tests
    PROPERTIES LABELS unit
    DISCOVERY_TIMEOUT 60)
endif()
