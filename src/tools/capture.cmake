# Screen capture: the geometry, the remembered file type and the JPEG
# encoder in plain C++; the capture window on Qt.
find_package(JPEG REQUIRED)
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(velmora_capture STATIC
  ${CMAKE_CURRENT_LIST_DIR}/screen_capture_logic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_writer.cpp
)
target_include_directories(velmora_capture PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(velmora_capture PRIVATE JPEG::JPEG)

add_library(velmora_capture_widgets STATIC ${CMAKE_CURRENT_LIST_DIR}/widgets/screen_capture.cpp)
set_target_properties(velmora_capture_widgets PROPERTIES AUTOMOC ON)
target_link_libraries(velmora_capture_widgets PUBLIC velmora_capture velmora_sys velmora_ui)
