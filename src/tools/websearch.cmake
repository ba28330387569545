# The online dictionary and the categorized search: their addresses and key
# rules in plain C++, the two dialogs on Qt Widgets.
add_library(velmora_websearch STATIC search_templates.cpp)
target_link_libraries(velmora_websearch PUBLIC velmora_sys)

add_library(velmora_search_widgets STATIC widgets/usearch.cpp widgets/dict_loader.cpp)
set_target_properties(velmora_search_widgets PROPERTIES AUTOMOC ON)
target_link_libraries(velmora_search_widgets PUBLIC velmora_websearch velmora_ui Qt6::Widgets)

# The dictionary needs Qt Network and its libraries (Kerberos, a proxy
# resolver, decompressors): the program loads it as a module of its own the
# first time the dictionary opens, so that no start pays for them.
add_library(velmora_dict_widgets STATIC widgets/udict.cpp)
set_target_properties(velmora_dict_widgets PROPERTIES AUTOMOC ON)
target_link_libraries(velmora_dict_widgets PUBLIC velmora_websearch velmora_ui Qt6::Widgets
  Qt6::Network)

add_library(velmora_dict MODULE widgets/dict_module.cpp)
target_link_libraries(velmora_dict PRIVATE velmora_dict_widgets)
set_target_properties(velmora_dict PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY
  ${CMAKE_BINARY_DIR}/bin)

# Both dialogs, for their tests.
add_library(velmora_websearch_widgets INTERFACE)
target_link_libraries(velmora_websearch_widgets INTERFACE velmora_search_widgets
  velmora_dict_widgets)
# What the module carries is built position-independent.
set_target_properties(velmora_sys velmora_ui velmora_websearch velmora_dict_widgets PROPERTIES
  POSITION_INDEPENDENT_CODE ON)
