# Fails when a source under SOURCE_DIR includes a path with a "." or ".." step
# ("../app/app_state.h", "./x.h", "engine/../app/app_state.h"). Such a path is looked up beside
# the including file, or through a layer's link to its folder, and so reaches the headers of any
# layer: the include folders that keep each layer to the layers below it never see it.
#   cmake -DSOURCE_DIR=<folder> -P check_includes.cmake
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "check_includes.cmake: SOURCE_DIR is not set")
endif()

file(GLOB_RECURSE sources LIST_DIRECTORIES false
  ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.hpp ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.in)
list(SORT sources)
set(offences "")
foreach(source IN LISTS sources)
  file(READ ${source} text)
  # One list element per line: the characters that CMake's lists treat specially are replaced
  # first, so that each line stays one element and the line numbers hold.
  string(REPLACE ";" "," text "${text}")
  string(REPLACE "[" "(" text "${text}")
  string(REPLACE "]" ")" text "${text}")
  string(REPLACE "\\" "/" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*[\"<]((\\.\\.?/)|([^\">]*/\\.\\.?/))")
      file(RELATIVE_PATH shown ${SOURCE_DIR} ${source})
      string(STRIP "${line}" line)
      string(APPEND offences "  ${shown}:${number}: ${line}\n")
    endif()
  endforeach()
endforeach()

if(offences)
  message(FATAL_ERROR "An include must name its layer's folder first, without \".\" or \"..\" "
    "steps (\"engine/job_files.h\"):\n${offences}")
endif()
list(LENGTH sources count)
message(STATUS "includes: the ${count} sources under ${SOURCE_DIR} name their layers")
