# The world coastline files, built from Debian's GSHHG shorelines (packages
# gmt-gshhg-low and gmt-gshhg-high) by `tarnwick coastline build` into
# ${TW_SHARE_DIR}/World. The converter reads the binned netCDF files with
# libnetcdf. Included after tools/, once the `tarnwick` target exists.

pkg_check_modules(NETCDF IMPORTED_TARGET netcdf)
if(NOT NETCDF_FOUND)
  message(FATAL_ERROR "libnetcdf not found: install libnetcdf-dev (run scripts/install-deps.sh).")
endif()
target_link_libraries(tarnwick PRIVATE PkgConfig::NETCDF)

set(TW_GSHHG_DIR /usr/share/gmt-gshhg CACHE PATH "Folder of GSHHG's binned_GSHHS_*.nc files")
set(coastline_inputs "")
set(coastline_outputs "")
foreach(res c l i h)
  set(input ${TW_GSHHG_DIR}/binned_GSHHS_${res}.nc)
  if(NOT EXISTS ${input})
    message(FATAL_ERROR
      "GSHHG shoreline data not found: ${input}\n"
      "Install the packages gmt-gshhg-low and gmt-gshhg-high (run scripts/install-deps.sh), "
      "or point TW_GSHHG_DIR at a folder holding binned_GSHHS_{c,l,i,h}.nc.")
  endif()
  list(APPEND coastline_inputs ${input})
  list(APPEND coastline_outputs ${TW_SHARE_DIR}/World/world_${res}.b.qtc)
endforeach()

# Rebuilt only when the GSHHG files or the converter's sources change, not on
# every relink of tarnwick (the target dependency below orders the build).
file(GLOB coastline_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/charts/coastline/*.cpp
     ${PROJECT_SOURCE_DIR}/charts/coastline/*.h)
list(APPEND coastline_sources ${PROJECT_SOURCE_DIR}/tools/CoastlineCommand.cpp)
add_custom_command(
  OUTPUT ${coastline_outputs}
  COMMAND $<TARGET_FILE:tarnwick> coastline build --gshhg ${TW_GSHHG_DIR} --out ${TW_SHARE_DIR}/World
          > ${PROJECT_BINARY_DIR}/coastline-build.json
  DEPENDS ${coastline_inputs} ${coastline_sources}
  COMMENT "Building the world coastline files from GSHHG"
  VERBATIM)
add_custom_target(tw_coastline ALL DEPENDS ${coastline_outputs})
add_dependencies(tw_coastline tarnwick)
add_dependencies(tw_share tw_coastline)

# The checks on the real files need them built first.
if(TARGET CoastlineWorld_test)
  add_dependencies(CoastlineWorld_test tw_coastline)
  target_compile_definitions(CoastlineWorld_test PRIVATE TW_COASTLINE_DIR="${TW_SHARE_DIR}/World")
endif()

# The chart renderer's golden tiles draw the base map from the real files.
if(TARGET ChartRender_test)
  add_dependencies(ChartRender_test tw_coastline)
  target_compile_definitions(ChartRender_test PRIVATE TW_COASTLINE_DIR="${TW_SHARE_DIR}/World")
endif()
