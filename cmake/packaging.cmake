# Release packages, made by CPack from the install rules: `cpack -G DEB` in
# a Linux build directory, `cpack -G ZIP` in the Windows one. The version
# is the project's own.
set(QCODE_MAINTAINER "qcode-quiz developers <qcode-quiz@example.org>"
  CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME qcode-quiz)
set(CPACK_PACKAGE_CONTACT "${QCODE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drill for the Q codes of amateur radio")
# Kept in lines under 80 columns, as Debian's control files have them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "qcode-quiz shows an expression in Czech or Slovak, written without\n"
  "diacritics, that stands for one of 84 Q codes of amateur radio, and\n"
  "waits for the three-letter code that belongs to it. It says, in Slovak,\n"
  "whether the answer was right and, if not, which code was expected.\n"
  "The word end, the end of the input or Ctrl-C prints how many answers\n"
  "were right and how many wrong.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

if(WIN32)
  # One folder, qcode-quiz-<version>-win64, with the program at its top.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "qcode-quiz-${PROJECT_VERSION}-win64")
else()
  set(CPACK_GENERATOR DEB)
endif()

include(CPack)
