# The background download of the remote settings. The HTTP client (libcurl,
# which pulls TLS, Kerberos, LDAP and some thirty libraries into a process)
# lives in the module "velmora_fetch" beside the program; the download
# thread loads it when it runs, so no start pays for linking it.
find_package(CURL REQUIRED)
find_package(Threads REQUIRED)

# The client itself: built into the module, and linked directly by tests.
add_library(velmora_http_fetch STATIC http_fetch.cpp)
target_include_directories(velmora_http_fetch PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(velmora_http_fetch PRIVATE CURL::libcurl)
set_target_properties(velmora_http_fetch PROPERTIES POSITION_INDEPENDENT_CODE ON)

add_library(velmora_fetch MODULE fetch_module.cpp)
target_link_libraries(velmora_fetch PRIVATE velmora_http_fetch)
set_target_properties(velmora_fetch PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY
  ${CMAKE_BINARY_DIR}/bin)

# The download thread, for the program: it must not link libcurl.
add_library(velmora_update STATIC autoupdate.cpp http_fetch_loader.cpp holiday_download.cpp)
target_link_libraries(velmora_update PUBLIC velmora_sys velmora_holidays PRIVATE Threads::Threads ${CMAKE_DL_LIBS})
# Whatever links the thread gets the module built beside it.
add_dependencies(velmora_update velmora_fetch)
