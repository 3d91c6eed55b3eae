# Makes the folder the Windows build packs as its payload: a copy of SOURCE and the PROGRAMS.
# The list of its files is not part of it: the uninstaller carries that (payloadlist.cmake).
#   cmake -DSOURCE=dir -DTARGET=dir "-DPROGRAMS=a.exe;b.exe" -P stagepayload.cmake

file(REMOVE_RECURSE ${TARGET})
file(COPY ${SOURCE}/ DESTINATION ${TARGET})
file(COPY ${PROGRAMS} DESTINATION ${TARGET})
