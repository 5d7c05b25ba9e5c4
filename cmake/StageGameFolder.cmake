# Makes the runnable game folder in the build folder: every shipped file and folder of game/ is
# linked there by name, so edits to the text assets show without a rebuild. The generated
# archive is written beside the links, and the game writes only below its own "User" folder, so
# the checkout is never written to.
#   cmake -DSOURCE=<checkout>/game -DSTAGE=<build>/game -P StageGameFolder.cmake
file(MAKE_DIRECTORY "${STAGE}")
file(GLOB shipped RELATIVE "${SOURCE}" "${SOURCE}/*")
foreach(name IN LISTS shipped)
  # What a run of an older build left in the checkout is not shipped.
  if(name MATCHES "^(User|Screenshots|assets[0-9]+\\.zip)$")
    continue()
  endif()
  if(NOT IS_SYMLINK "${STAGE}/${name}")
    file(REMOVE_RECURSE "${STAGE}/${name}")
    file(CREATE_LINK "${SOURCE}/${name}" "${STAGE}/${name}" SYMBOLIC)
  endif()
endforeach()
# A link whose file has left the checkout goes too.
file(GLOB staged RELATIVE "${STAGE}" "${STAGE}/*")
foreach(name IN LISTS staged)
  if(IS_SYMLINK "${STAGE}/${name}" AND NOT EXISTS "${SOURCE}/${name}")
    file(REMOVE "${STAGE}/${name}")
  endif()
endforeach()
