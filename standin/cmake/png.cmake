# The PNG encoder of the testing images deflates with zlib.
find_package(ZLIB REQUIRED)
target_link_libraries(standin PRIVATE ZLIB::ZLIB)
