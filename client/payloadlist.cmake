# Writes LIST, the list of the payload's files that the uninstaller carries: every file of
# SOURCE (relative, "\" between folders) and the PROGRAMS' names, sorted, one a line. The file
# is rewritten only when its text changes, so that the uninstaller is not rebuilt for nothing.
#   cmake -DSOURCE=dir "-DPROGRAMS=a.exe;b.exe" -DLIST=file -P payloadlist.cmake

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${SOURCE} ${SOURCE}/*)
list(APPEND files ${PROGRAMS})
list(REMOVE_DUPLICATES files)
list(SORT files)
set(text "")
foreach(file IN LISTS files)
  string(REPLACE "/" "\\" file "${file}")
  string(APPEND text "${file}\n")
endforeach()
set(written "")
if(EXISTS ${LIST})
  file(READ ${LIST} written)
endif()
if(NOT written STREQUAL text)
  file(WRITE ${LIST} "${text}")
endif()
