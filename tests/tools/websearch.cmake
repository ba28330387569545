# The dictionary and the categorized search: their logic without a window,
# and their dialogs on the offscreen platform.
add_executable(websearch_tests websearch_test.cpp)
target_include_directories(websearch_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(websearch_tests PRIVATE velmora_websearch GTest::gtest_main)
velmora_add_gtest(websearch_tests)

add_executable(websearch_widget_tests ../plans/widget_main.cpp search_dialog_test.cpp
  dict_fetch_test.cpp)
target_include_directories(websearch_widget_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(websearch_widget_tests PRIVATE velmora_websearch_widgets GTest::gtest
  Qt6::Test)
velmora_add_gtest(websearch_widget_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
