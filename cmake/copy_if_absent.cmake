# SPDX-License-Identifier: LicenseRef-Tankedosan
# Copies SRC to DST only when DST does not exist: a file already in the program folder belongs to the user.
if(NOT EXISTS "${DST}")
  configure_file("${SRC}" "${DST}" COPYONLY)
endif()
