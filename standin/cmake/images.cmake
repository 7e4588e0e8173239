# The image decoder: stb_image's PNG and JPEG readers in one translation unit.
# When corrupt JPEG data ends early the decoder shifts a zero by 32 bits (it
# reads zeros past the end and lets its bit count go negative): harmless, but
# undefined, so that one check stays off for the decoder.
find_path(STB_IMAGE_HEADER_DIR stb/stb_image.h REQUIRED)
if(ORVANE_SANITIZE MATCHES "undefined")
  set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/src/images/image_decoder.cpp
    PROPERTIES COMPILE_OPTIONS -fno-sanitize=shift-exponent)
endif()
