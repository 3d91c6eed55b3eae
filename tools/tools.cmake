# The host tools (zbpack, zbmsgc, zbtag) on the tools layer, and the resources they make.

foreach(tool IN ITEMS zbpack zbmsgc)
  zb_program(${tool} DIR tools/${tool} CONSOLE LAYERS zbtoolscore)
endforeach()
zb_program(zbtag DIR tools/zbtag CONSOLE LAYERS zbtoolscore zbcrypto)
# zbtag check hashes the image with the platform's own cryptographic library.
if(WIN32)
  target_sources(zbtag PRIVATE tools/zbtag/win/imagedigest.cpp)
  target_link_libraries(zbtag PRIVATE bcrypt)
else()
  find_package(OpenSSL REQUIRED)
  target_sources(zbtag PRIVATE tools/zbtag/openssl/imagedigest.cpp)
  target_link_libraries(zbtag PRIVATE OpenSSL::Crypto)
endif()
include(cmake/packed.cmake)
if(WIN32)
  # The default payload carries the sample client's programs (client/payload.cmake).
  include(client/payload.cmake)
else()
  zb_pack_payload(${ZB_PAYLOAD_RESOURCE} ${ZB_PAYLOAD_DIR})
endif()
zb_compile_messages(${ZB_MESSAGES_RESOURCE} ${zb_messages_sources})
add_custom_target(packed_resources ALL DEPENDS ${ZB_PAYLOAD_RESOURCE} ${ZB_MESSAGES_RESOURCE})
