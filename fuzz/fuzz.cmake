# libFuzzer targets (ZB_FUZZ, clang only): every fuzz/*_fuzz.cpp, and a bounded run of each as a
# test labelled slow.
zb_fuzz_targets(fuzz LAYERS plib protocols zbcore zbclientcore zbtoolscore zbserver)
