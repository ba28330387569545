add_executable(tools_panel_tests ${PROJECT_SOURCE_DIR}/tests/plans/widget_main.cpp panel_test.cpp)
target_link_libraries(tools_panel_tests PRIVATE velmora_tools_panel GTest::gtest)
velmora_add_gtest(tools_panel_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
