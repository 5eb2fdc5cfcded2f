# Every program of the Windows build — kelvara, kvbatch, kelsetup and the test and bench
# programs that run the program's code — gets the application manifest, so that tests see
# the code page, DPI awareness and OS context the shipped programs have. Called at the end
# of the top CMakeLists.txt, when every program is defined; a program added later is not
# forgotten.
function(kv_add_manifest_in dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(t IN LISTS targets)
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "EXECUTABLE")
      target_sources(${t} PRIVATE ${PROJECT_SOURCE_DIR}/resources/manifest.rc)
      # The resource compiler's dependencies do not name the manifest it embeds.
      set_source_files_properties(${PROJECT_SOURCE_DIR}/resources/manifest.rc TARGET_DIRECTORY ${t}
                                  PROPERTIES OBJECT_DEPENDS ${PROJECT_SOURCE_DIR}/resources/kelvara.manifest)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(s IN LISTS subdirs)
    kv_add_manifest_in(${s})
  endforeach()
endfunction()
kv_add_manifest_in(${PROJECT_SOURCE_DIR})
