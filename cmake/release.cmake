# The release zip: the exe and the players' guide side by side, named for the version.
# Part of every Release build, so that CI makes and checks it too.
find_package(Python3 COMPONENTS Interpreter)
if(NOT Python3_Interpreter_FOUND)
  message(STATUS "No Python 3: the release zip cannot be made here.")
  return()
endif()

set(RELEASE_GUIDE "${PROJECT_SOURCE_DIR}/docs/使い方.txt")
set(RELEASE_ZIP "${CMAKE_BINARY_DIR}/TorvanelInstaller-${PROJECT_VERSION}.zip")
add_custom_command(OUTPUT ${RELEASE_ZIP}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/make_release_zip.py
          ${RELEASE_ZIP} $<TARGET_FILE:TorvanelInstaller> ${RELEASE_GUIDE}
  DEPENDS TorvanelInstaller ${RELEASE_GUIDE} ${PROJECT_SOURCE_DIR}/scripts/make_release_zip.py
  COMMENT "Writing TorvanelInstaller-${PROJECT_VERSION}.zip"
  VERBATIM)
if(CMAKE_BUILD_TYPE STREQUAL "Release")
  add_custom_target(release_zip ALL DEPENDS ${RELEASE_ZIP})
else()
  add_custom_target(release_zip DEPENDS ${RELEASE_ZIP})  # a release holds only a Release build
endif()
