# The online dictionary and the categorized search: their addresses and key
# rules in plain C++, the two dialogs on Qt Widgets and Qt Network.
add_library(velmora_websearch STATIC search_templates.cpp)
target_link_libraries(velmora_websearch PUBLIC velmora_sys)

add_library(velmora_websearch_widgets STATIC ufrm_dict.cpp ufrm_search.cpp)
set_target_properties(velmora_websearch_widgets PROPERTIES AUTOMOC ON)
target_link_libraries(velmora_websearch_widgets PUBLIC velmora_websearch velmora_ui Qt6::Widgets
  Qt6::Network)
