add_executable(announce_tests ad_rotation_test.cpp)
target_link_libraries(announce_tests PRIVATE velmora_announce GTest::gtest_main)
velmora_add_gtest(announce_tests)

find_package(Qt6 REQUIRED COMPONENTS Test)
add_executable(announce_widget_tests ${PROJECT_SOURCE_DIR}/tests/plans/widget_main.cpp
  announcement_strip_test.cpp)
target_link_libraries(announce_widget_tests PRIVATE velmora_announce_widgets GTest::gtest)
velmora_add_gtest(announce_widget_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
