# The tools page's list and its dispatch.
add_library(velmora_tools_panel STATIC widgets/tools_panel.cpp)
set_target_properties(velmora_tools_panel PROPERTIES AUTOMOC ON)
target_include_directories(velmora_tools_panel PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(velmora_tools_panel PUBLIC velmora_ui Qt6::Widgets)
