# The CoreText stand-in's catalogue of installed fonts is fontconfig's, and
# FreeType reads the font files.
find_package(Fontconfig REQUIRED)
find_package(Freetype REQUIRED)
target_link_libraries(standin PRIVATE Fontconfig::Fontconfig Freetype::Freetype)
