# The harmonic station database of noaa_tides and noaa_currents, made from the
# public-domain harmonics file of Debian's xtide-data by
# `tarnwick tides import-tcd` into ${TW_SHARE_DIR}/tides/harmonics.db. The
# importer reads the file with libtcd (libtcd-dev). Included after tools/, once
# the `tarnwick` target exists.

set(TW_TCD_FILE /usr/share/xtide/harmonics-dwf-20191229-free.tcd CACHE FILEPATH
    "The harmonics file (TCD) the shipped tide station database is made from")
if(NOT EXISTS ${TW_TCD_FILE})
  message(FATAL_ERROR
    "Harmonics file not found: ${TW_TCD_FILE}\n"
    "Install the package xtide-data (run scripts/install-deps.sh), or set TW_TCD_FILE.")
endif()

set(tides_database ${TW_SHARE_DIR}/tides/harmonics.db)
file(GLOB tides_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/environment/tides/TcdImporter.*
     ${PROJECT_SOURCE_DIR}/environment/tides/HarmonicRecords.*
     ${PROJECT_SOURCE_DIR}/environment/tides/HarmonicYears.*
     ${PROJECT_SOURCE_DIR}/environment/tides/Constituents.*)
add_custom_command(
  OUTPUT ${tides_database}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TW_SHARE_DIR}/tides
  COMMAND $<TARGET_FILE:tarnwick> tides import-tcd ${TW_TCD_FILE} ${tides_database}
          > ${PROJECT_BINARY_DIR}/tides-import.json
  DEPENDS ${TW_TCD_FILE} ${tides_sources}
  COMMENT "Building the tide station database from ${TW_TCD_FILE}"
  VERBATIM)
add_custom_target(tw_tides_database ALL DEPENDS ${tides_database})
add_dependencies(tw_tides_database tarnwick)
add_dependencies(tw_share tw_tides_database)
