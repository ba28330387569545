# Screen capture: the rules and the JPEG encoder without a window, then the
# capture window driven by synthetic mouse events on the offscreen platform.
find_package(JPEG REQUIRED)
find_package(Qt6 REQUIRED COMPONENTS Test)

add_executable(capture_tests
  ${CMAKE_CURRENT_LIST_DIR}/../plans/widget_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_window_test.cpp
)
target_include_directories(capture_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(capture_tests PRIVATE velmora_capture_widgets JPEG::JPEG GTest::gtest
  Qt6::Test)
velmora_add_gtest(capture_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)

# The same capture on a virtual X server, clicked by xdotool. Sanitizer
# builds leave it out: the windowing libraries' own leaks would be reported.
add_executable(capture_x11_tests ${CMAKE_CURRENT_LIST_DIR}/capture_x11_test.cpp)
target_include_directories(capture_x11_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(capture_x11_tests PRIVATE velmora_capture_widgets GTest::gtest Qt6::Test)
if(NOT VELMORA_SANITIZE)
  add_test(NAME capture_x11
    COMMAND xvfb-run -a -s "-screen 0 1024x768x24" $<TARGET_FILE:capture_x11_tests>)
  set_tests_properties(capture_x11 PROPERTIES TIMEOUT 60 RUN_SERIAL TRUE
    ENVIRONMENT QT_QPA_PLATFORM=xcb)
endif()
