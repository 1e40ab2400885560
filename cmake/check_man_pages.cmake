# Renders each of PAGES (a comma-separated list) as man shows it on a terminal (UTF-8 in, UTF-8
# out), warnings on, and fails on any warning or error.
string(REPLACE "," ";" pages "${PAGES}")
foreach(page IN LISTS pages)
  execute_process(COMMAND ${GROFF} -K utf8 -Tutf8 -ww -z -man ${page}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
    message(FATAL_ERROR "${page} does not render cleanly:\n${out}${err}")
  endif()
endforeach()
