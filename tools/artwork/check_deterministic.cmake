# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Runs the artwork generator twice into fresh directories and fails unless
# both runs wrote every expected file, byte for byte the same.
foreach(run a b)
  file(REMOVE_RECURSE ${SCRATCH}/${run})
  file(MAKE_DIRECTORY ${SCRATCH}/${run})
  execute_process(COMMAND ${GENERATOR} ${SCRATCH}/${run} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "the generator failed (${result}) writing into ${SCRATCH}/${run}")
  endif()
endforeach()

foreach(name ${FILES})
  foreach(run a b)
    if(NOT EXISTS ${SCRATCH}/${run}/${name}.bmp)
      message(FATAL_ERROR "run ${run} did not write ${name}.bmp")
    endif()
  endforeach()
  file(SHA256 ${SCRATCH}/a/${name}.bmp first)
  file(SHA256 ${SCRATCH}/b/${name}.bmp second)
  if(NOT first STREQUAL second)
    message(FATAL_ERROR "${name}.bmp differs between two runs")
  endif()
endforeach()

# Nothing besides the listed files.
file(GLOB written RELATIVE ${SCRATCH}/a ${SCRATCH}/a/*)
list(LENGTH written count)
list(LENGTH FILES expected)
if(NOT count EQUAL expected)
  message(FATAL_ERROR "the generator wrote ${count} files, expected ${expected}: ${written}")
endif()
file(REMOVE_RECURSE ${SCRATCH})
message(STATUS "all ${expected} images identical in two runs")
