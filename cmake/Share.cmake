# The shipped-files folder of a build: share/tarnwick-ecs beside the tarnwick
# executable, where ProgramFolder() finds it. It holds the files of data/ plus
# what the build generates (web front end, coastlines, demo recording).
#
# tw_share_data copies data/ and is a dependency of `tarnwick`. Generators add
# their own ALL targets writing below TW_SHARE_DIR and add them to tw_share;
# a generator that runs `tarnwick` itself depends on `tarnwick` (never the
# other way round, which would be a cycle).
set(TW_SHARE_DIR ${PROJECT_BINARY_DIR}/share/tarnwick-ecs)

add_custom_target(tw_share_data ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/data ${TW_SHARE_DIR}
  COMMENT "Staging the shipped files in ${TW_SHARE_DIR}")

# Every shipped file of the build, generated ones included.
add_custom_target(tw_share ALL DEPENDS tw_share_data)
