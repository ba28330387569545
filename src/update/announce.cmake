# The announcement strip: the rotation in plain C++, the two labels on Qt.
add_library(velmora_announce STATIC ad_rotation.cpp)
target_link_libraries(velmora_announce PUBLIC velmora_sys)

add_library(velmora_announce_widgets STATIC widgets/announcement_strip.cpp)
set_target_properties(velmora_announce_widgets PROPERTIES AUTOMOC ON)
target_link_libraries(velmora_announce_widgets PUBLIC velmora_announce velmora_ui velmora_sys
  Qt6::Widgets)
