# zbserve, the server: a layer of its own over the portable layers, built by the native tree
# only. Its protocol, crypto and stores come from Debian's libraries.

find_package(SQLite3 REQUIRED)
find_package(OpenSSL REQUIRED)
find_package(Boost 1.74 REQUIRED)
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBPQ REQUIRED IMPORTED_TARGET libpq)

zb_library(zbserver DIRS server PORTABLE LAYERS plib protocols zbcore zbtoolscore zbcrypto
           SYSTEM SQLite::SQLite3 PkgConfig::LIBPQ OpenSSL::Crypto Boost::headers
                  Threads::Threads)
target_compile_definitions(zbserver PUBLIC BOOST_BEAST_USE_STD_STRING_VIEW)
zb_program(zbserve DIR server/program CONSOLE LAYERS zbserver)
