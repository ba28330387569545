# Data management: backup and compaction on real containers, and the dialog
# offscreen.
add_executable(datamgmt_tests data_management_test.cpp space_pie_test.cpp)
target_include_directories(datamgmt_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(datamgmt_tests PRIVATE velmora_datamgmt_core velmora_space_pie
  GTest::gtest_main)
velmora_add_gtest(datamgmt_tests)

add_executable(resetfx_graph_tests ../plans/widget_main.cpp resetfx_graph_test.cpp)
target_include_directories(resetfx_graph_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(resetfx_graph_tests PRIVATE velmora_datamgmt_widgets velmora_datamgmt_loader
  GTest::gtest)
add_dependencies(resetfx_graph_tests velmora_datamgmt)
velmora_add_gtest(resetfx_graph_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
