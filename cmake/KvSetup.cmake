# kelsetup, the installer. Everything it installs is staged first in
# ${CMAKE_BINARY_DIR}/dist in the installed layout: the program and its plug-ins are
# copied there by this file, the documents and samples are made there by the
# kvdocuments target (cmake/KvDocuments.cmake). The generated installer_payload.rc
# names each staged file as a "FILEDATA" resource.
set(KV_DIST ${CMAKE_BINARY_DIR}/dist)
set(KV_GEN_DIR ${CMAKE_BINARY_DIR}/generated)

set(kv_dist_built ${KV_DIST}/Kelvara.exe "${KV_DIST}/Plugins/JPEG filter.dll" "${KV_DIST}/Plugins/PNG filter.dll"
    "${KV_DIST}/Plugins/Imaging filter.dll" ${KV_DIST}/kv5codec.dll)
set(kv_dist_documents Kelvara.chm ReadMe.txt License.txt splash.jpg Images/candle.kv5 "Images/o'er the waters.kv5"
    "Images/dark trees.kv5" Images/sunset.kv5 Sprites/star_sprite.kv5 Sprites/flame_sprite.kv5
    Sprites/moon_sprite.kv5 Sprites/jewel_sprite.kv5 Sprites/F117A_sprite.kv5)
list(TRANSFORM kv_dist_documents PREPEND ${KV_DIST}/)

add_custom_command(
  OUTPUT ${kv_dist_built}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KV_DIST}/Plugins
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:kelvara> ${KV_DIST}/Kelvara.exe
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:kvplugin_jpeg> $<TARGET_FILE:kvplugin_png>
          $<TARGET_FILE:kvplugin_imaging> ${KV_DIST}/Plugins
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:kvkv5codec> ${KV_DIST}/kv5codec.dll
  DEPENDS kelvara kvplugin_jpeg kvplugin_png kvplugin_imaging kvkv5codec
  COMMENT "Staging the program and its plug-ins for the installer"
  VERBATIM)
add_custom_target(kvsetuppayload DEPENDS ${kv_dist_built})

configure_file(${PROJECT_SOURCE_DIR}/resources/installer_payload.rc.in ${KV_GEN_DIR}/installer_payload.rc @ONLY)
set(kv_payload_rc ${KV_GEN_DIR}/installer_payload.rc)
# Any staged file that changes rebuilds the resources.
set_source_files_properties(${kv_payload_rc} PROPERTIES OBJECT_DEPENDS
                            "${kv_dist_built};${kv_dist_documents};${KV_GEN_DIR}/kv_generated.rc")

add_executable(kelsetup WIN32 ${PROJECT_SOURCE_DIR}/src/installer/setup_main_win32.cpp
               ${PROJECT_SOURCE_DIR}/resources/installer.rc ${kv_payload_rc})
add_dependencies(kelsetup kvsetuppayload kvgenerated)
target_link_libraries(kelsetup PRIVATE kvcore kvui_win32 kvcore)
target_link_options(kelsetup PRIVATE -mwindows)
set_target_properties(kelsetup PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The documents' target may be defined anywhere in the top directory: looked for at its end.
function(kv_setup_wait_for_documents)
  if(TARGET kvdocuments)
    add_dependencies(kvsetuppayload kvdocuments)
  else()
    message(STATUS "kelsetup: no kvdocuments target; the documents must already be in ${KV_DIST}")
  endif()
endfunction()
cmake_language(DEFER CALL kv_setup_wait_for_documents)
