# Folder disguise: the rules on real folders, then the dialogs offscreen.
add_executable(dirhide_tests ${CMAKE_CURRENT_LIST_DIR}/dirhide_test.cpp)
target_include_directories(dirhide_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(dirhide_tests PRIVATE velmora_dirhide GTest::gtest_main)
velmora_add_gtest(dirhide_tests)

add_executable(dirhide_widget_tests ${PROJECT_SOURCE_DIR}/tests/plans/widget_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dirhide_widget_test.cpp)
target_include_directories(dirhide_widget_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(dirhide_widget_tests PRIVATE velmora_dirhide_widgets GTest::gtest Qt6::Test)
velmora_add_gtest(dirhide_widget_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
