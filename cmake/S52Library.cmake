# The presentation library archive S52PL.zip, built by `tarnwick s52 build`
# from the IHO Presentation Library DAI file and the inland look-up tables in
# charts/s52/library, into ${TW_SHARE_DIR}. Included after tools/, once the
# `tarnwick` target exists.

set(s52_library_dir ${PROJECT_SOURCE_DIR}/charts/s52/library)
set(s52_inputs ${s52_library_dir}/PresLib_e4.0.0.dai ${s52_library_dir}/pienc24s.dic
    ${s52_library_dir}/pienc24t.dic ${s52_library_dir}/lienc24.dic ${s52_library_dir}/aienc24s.dic)
set(s52_archive ${TW_SHARE_DIR}/S52PL.zip)

# Rebuilt when the inputs or the converter's sources change, not on every
# relink of tarnwick (the target dependency below orders the build).
file(GLOB s52_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/charts/s52/S52ArchiveBuilder.*
     ${PROJECT_SOURCE_DIR}/charts/s52/S52Module.* ${PROJECT_SOURCE_DIR}/tools/S52Command.cpp)
add_custom_command(
  OUTPUT ${s52_archive}
  COMMAND $<TARGET_FILE:tarnwick> s52 build --dai ${s52_library_dir}/PresLib_e4.0.0.dai
          --inland ${s52_library_dir} --out ${s52_archive} > ${PROJECT_BINARY_DIR}/s52-build.json
  DEPENDS ${s52_inputs} ${s52_sources}
  COMMENT "Building the presentation library S52PL.zip"
  VERBATIM)
add_custom_target(tw_s52_library ALL DEPENDS ${s52_archive})
add_dependencies(tw_s52_library tarnwick)
add_dependencies(tw_share tw_s52_library)

# Tests of the real library read the built archive.
foreach(test S52Library_test S52Portrayal_test S52ChartSource_test S52RealCells_test ChartRender_test)
  if(TARGET ${test})
    add_dependencies(${test} tw_s52_library)
    target_compile_definitions(${test} PRIVATE TW_S52_ARCHIVE="${s52_archive}")
  endif()
endforeach()
