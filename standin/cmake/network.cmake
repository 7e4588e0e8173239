# The HTTP read stream of the CFNetwork stand-in runs on libcurl.
find_package(CURL REQUIRED)
target_link_libraries(standin PRIVATE CURL::libcurl)
