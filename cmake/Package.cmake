# The package for users (the "package" target): orvane.exe and its readme,
# which gives the program's version and SHA-256, in one ZIP, with the ZIP's
# SHA-256 in a file beside it. packaging/make-package.py writes the ZIP itself,
# entries stored uncompressed in a fixed order with the build's one time and no
# owner data, so that the same sources give the same ZIP on any machine.
set(ORVANE_PACKAGE_ZIP ${CMAKE_BINARY_DIR}/orvane-${PROJECT_VERSION}-win64.zip)
add_custom_command(
  OUTPUT ${ORVANE_PACKAGE_ZIP} ${ORVANE_PACKAGE_ZIP}.sha256
  COMMAND python3 ${CMAKE_SOURCE_DIR}/packaging/make-package.py $<TARGET_FILE:orvane>
          ${CMAKE_SOURCE_DIR}/packaging/readme.txt ${PROJECT_VERSION} ${ORVANE_BUILD_EPOCH} ${ORVANE_PACKAGE_ZIP}
  DEPENDS orvane ${CMAKE_SOURCE_DIR}/packaging/readme.txt ${CMAKE_SOURCE_DIR}/packaging/make-package.py
  COMMENT "Packing orvane-${PROJECT_VERSION}-win64.zip"
  VERBATIM)
# CMake reserves the target name while CPack's configuration, which a build
# folder configured by an older version of this file holds, is there.
file(REMOVE ${CMAKE_BINARY_DIR}/CPackConfig.cmake ${CMAKE_BINARY_DIR}/CPackSourceConfig.cmake)
add_custom_target(package DEPENDS ${ORVANE_PACKAGE_ZIP} ${ORVANE_PACKAGE_ZIP}.sha256)
