# kvdocuments: the product's documents and samples, made in ${CMAKE_BINARY_DIR}/dist
# as they are installed: Kelvara.chm (compiled from resources/help with chmcmd),
# ReadMe.txt and License.txt (resources/text, with Windows line ends: the installer's
# licence box and Notepad need them), the four sample images and five sprites
# (Images/, Sprites/) and the installer's splash.jpg, drawn by tools/kvsamples.cpp.
# Kelvara.chm also goes beside kelvara.exe, where the program's Help finds it.
find_program(KV_CHMCMD chmcmd REQUIRED)   # Debian: fp-utils
find_program(KV_CJPEG cjpeg REQUIRED)     # Debian: libjpeg-turbo-progs

set(KV_DOCS_DIST ${CMAKE_BINARY_DIR}/dist)
set(kv_docs_work ${CMAKE_BINARY_DIR}/generated/docs)
file(MAKE_DIRECTORY ${KV_DOCS_DIST}/Images ${KV_DOCS_DIST}/Sprites ${kv_docs_work})

# ---- help ----
file(GLOB kv_help_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/help/*)
add_custom_command(
  OUTPUT ${KV_DOCS_DIST}/Kelvara.chm ${CMAKE_BINARY_DIR}/Kelvara.chm
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${kv_docs_work}/help
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/resources/help ${kv_docs_work}/help
  COMMAND ${CMAKE_COMMAND} -E chdir ${kv_docs_work}/help ${KV_CHMCMD} --no-html-scan Kelvara.hhp
  COMMAND ${CMAKE_COMMAND} -E copy ${kv_docs_work}/help/Kelvara.chm ${KV_DOCS_DIST}/Kelvara.chm
  COMMAND ${CMAKE_COMMAND} -E copy ${kv_docs_work}/help/Kelvara.chm ${CMAKE_BINARY_DIR}/Kelvara.chm
  DEPENDS ${kv_help_sources}
  COMMENT "Compiling the help file Kelvara.chm"
  VERBATIM)

# ---- ReadMe and licence ----
foreach(text ReadMe.txt License.txt)
  configure_file(${PROJECT_SOURCE_DIR}/resources/text/${text} ${KV_DOCS_DIST}/${text} @ONLY NEWLINE_STYLE CRLF)
endforeach()

# ---- samples and splash: a host program built from the portable core ----
set(kv_samples_modules
    engine/shape_line engine/shape_fill engine/shape_gouraud engine/surface engine/surface_native
    engine/engine engine/color engine/blit engine/blit_fast engine/blit_sse2
    effects/fx_alpha effects/fx_common effects/fx_smear
    pixcode/pix_compile pixcode/pix_exec pixcode/pix_fast pixcode/pix_lanes pixcode/pix_segment pixcode/pix_lex pixcode/pix_run
    pixcode/pix_vocab pixcode/pix_program
    formats/kv5_file formats/kv5_codec formats/kv5_protect formats/fileio platform/safewrite platform/safewrite_native
    document/toolkernel_sparkle document/random
    platform/refusal platform/sysio_native platform/paths platform/utf8 settings/settings)
set(kv_samples_sources ${PROJECT_SOURCE_DIR}/tools/kvsamples.cpp)
foreach(m IN LISTS kv_samples_modules)
  list(APPEND kv_samples_sources ${PROJECT_SOURCE_DIR}/src/${m}.cpp)
endforeach()
# The AVX2 loops those modules pick at run time, each compiled for AVX2 on its own.
set(kv_samples_avx2_modules engine/blit_avx2 effects/fx_smear_avx2 pixcode/pix_segment_avx2)
set(kv_samples_avx2_commands)
set(kv_samples_avx2_objects)
set(kv_samples_avx2_sources)
foreach(m IN LISTS kv_samples_avx2_modules)
  string(MAKE_C_IDENTIFIER ${m} id)
  list(APPEND kv_samples_avx2_commands COMMAND ${KV_HOST_CXX} -std=c++17 -O1 -mavx2 -I${PROJECT_SOURCE_DIR}/src -c
       ${PROJECT_SOURCE_DIR}/src/${m}.cpp -o ${kv_docs_work}/kvsamples_${id}.o)
  list(APPEND kv_samples_avx2_objects ${kv_docs_work}/kvsamples_${id}.o)
  list(APPEND kv_samples_avx2_sources ${PROJECT_SOURCE_DIR}/src/${m}.cpp)
endforeach()
set(kv_samples_outputs
    ${KV_DOCS_DIST}/Images/candle.kv5 "${KV_DOCS_DIST}/Images/o'er the waters.kv5"
    "${KV_DOCS_DIST}/Images/dark trees.kv5" ${KV_DOCS_DIST}/Images/sunset.kv5
    ${KV_DOCS_DIST}/Sprites/star_sprite.kv5 ${KV_DOCS_DIST}/Sprites/flame_sprite.kv5
    ${KV_DOCS_DIST}/Sprites/moon_sprite.kv5 ${KV_DOCS_DIST}/Sprites/jewel_sprite.kv5
    ${KV_DOCS_DIST}/Sprites/F117A_sprite.kv5 ${KV_DOCS_DIST}/splash.jpg)
add_custom_command(
  OUTPUT ${kv_samples_outputs}
  ${kv_samples_avx2_commands}
  COMMAND ${KV_HOST_CXX} -std=c++17 -O2 -I${PROJECT_SOURCE_DIR}/src ${kv_samples_sources}
          ${kv_samples_avx2_objects} -pthread -o ${kv_docs_work}/kvsamples
  COMMAND ${kv_docs_work}/kvsamples ${KV_DOCS_DIST} ${kv_docs_work}
  COMMAND ${KV_CJPEG} -quality 92 -optimize -outfile ${KV_DOCS_DIST}/splash.jpg ${kv_docs_work}/splash.ppm
  DEPENDS ${kv_samples_sources} ${PROJECT_SOURCE_DIR}/tools/kvfont.h ${kv_samples_avx2_sources}
  IMPLICIT_DEPENDS CXX ${PROJECT_SOURCE_DIR}/tools/kvsamples.cpp
  COMMENT "Drawing the sample images, sprites and the installer's splash"
  VERBATIM)

add_custom_target(kvdocuments ALL DEPENDS ${KV_DOCS_DIST}/Kelvara.chm ${CMAKE_BINARY_DIR}/Kelvara.chm ${kv_samples_outputs})
