# Makes the folder the Windows build packs as its payload: a copy of SOURCE, the PROGRAMS, and
# the list LIST of every file in it (itself included), which the uninstaller reads.
#   cmake -DSOURCE=dir -DTARGET=dir "-DPROGRAMS=a.exe;b.exe" -DLIST=name -P stagepayload.cmake

file(REMOVE_RECURSE ${TARGET})
file(COPY ${SOURCE}/ DESTINATION ${TARGET})
file(COPY ${PROGRAMS} DESTINATION ${TARGET})
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${TARGET} ${TARGET}/*)
list(APPEND files ${LIST})
list(REMOVE_DUPLICATES files)
list(SORT files)
set(text "")
foreach(file IN LISTS files)
  string(REPLACE "/" "\\" file "${file}")
  string(APPEND text "${file}\n")
endforeach()
file(WRITE ${TARGET}/${LIST} "${text}")
