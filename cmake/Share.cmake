# The shipped-files folder of a build: share/tarnwick-ecs beside the tarnwick
# executable, where ProgramFolder() finds it. It holds the files of data/ plus
# what the build generates (web front end, coastlines, demo recording); each
# generator writes below TW_SHARE_DIR and adds its target to tw_share.
set(TW_SHARE_DIR ${PROJECT_BINARY_DIR}/share/tarnwick-ecs)

add_custom_target(tw_share_data ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/data ${TW_SHARE_DIR}
  COMMENT "Staging the shipped files in ${TW_SHARE_DIR}")

# Everything the program needs at run time; `tarnwick` depends on it.
add_custom_target(tw_share ALL DEPENDS tw_share_data)
