# The download of the remote settings against a small HTTP server of the
# test's own. The client is tested directly; the download thread goes
# through the real module, loaded from bin/ beside the test program.
add_executable(update_download_tests download_test.cpp holiday_download_test.cpp
  http_test_server.cpp)
target_include_directories(update_download_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(update_download_tests PRIVATE velmora_update velmora_http_fetch
  GTest::gtest_main)
add_dependencies(update_download_tests velmora_fetch)
velmora_add_gtest(update_download_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
target_compile_definitions(update_download_tests PRIVATE
  VELMORA_HOLIDAY_DATA="${PROJECT_SOURCE_DIR}/data/zenqholiday.txt")
