# The same sources give the same bytes, whatever folder they are built in and
# whenever: users can check the released program against a build of their own.
# tests/package/check-reproducible.sh builds orvane.exe twice to hold this.

# The one time the build writes into what it makes (the link time in a PE
# header, the times of the package's ZIP entries): SOURCE_DATE_EPOCH when it is
# set at configure time (seconds since 1970, UTC), else a fixed one,
# 1980-01-01 00:00:00 UTC, the earliest time a ZIP entry can hold.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ORVANE_BUILD_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  set(ORVANE_BUILD_EPOCH 315532800)
endif()
if(NOT ORVANE_BUILD_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH must be a number of seconds, not \"${ORVANE_BUILD_EPOCH}\"")
endif()

# GNU ld stamps a PE image with the wall-clock time of the link unless
# SOURCE_DATE_EPOCH is set in its environment, and computes the header's
# checksum after the stamp, so the checksum stays valid. The time stands on
# every link's command line: configured with another one, the build relinks.
# The linker launchers came with CMake 3.21, the project's minimum.
if(WIN32)
  set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${ORVANE_BUILD_EPOCH})
  set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_C_LINKER_LAUNCHER})
endif()

# Source paths that the compiler writes (__FILE__, debug information) are
# relative to the source folder, so the executable holds no path of the build
# machine. The build folder is named "build"; GCC tries the last map first, and
# the build folder may lie inside the sources.
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>
                    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=build>)
