# Data management: the figures, backup and compaction in plain C++; the
# dialog on Qt Widgets.
add_library(velmora_datamgmt_core STATIC data_management.cpp)
target_link_libraries(velmora_datamgmt_core PUBLIC velmora_store velmora_sys)

# The pie's layout, plain numbers, on its own: the module takes it without
# the store.
add_library(velmora_space_pie STATIC space_pie.cpp)
set_target_properties(velmora_space_pie PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(velmora_space_pie PUBLIC ${PROJECT_SOURCE_DIR}/src)

# The dialog is a module of its own that the program loads the first time
# it opens, so that a start never pays for it. The module carries the
# dialog only, never the store, so the program's one open container is the
# one the dialog's actions work on.

add_library(velmora_datamgmt_widgets STATIC widgets/uFX_resetfx_graph.cpp
  widgets/space_pie_chart.cpp)
set_target_properties(velmora_datamgmt_widgets PROPERTIES AUTOMOC ON
  POSITION_INDEPENDENT_CODE ON)
target_include_directories(velmora_datamgmt_widgets PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(velmora_datamgmt_widgets PUBLIC velmora_space_pie velmora_ui)

add_library(velmora_datamgmt MODULE widgets/datamgmt_module.cpp)
target_link_libraries(velmora_datamgmt PRIVATE velmora_datamgmt_widgets)
set_target_properties(velmora_datamgmt PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY
  ${CMAKE_BINARY_DIR}/bin)

# What the main window links: the flow and the module's loader.
add_library(velmora_datamgmt_loader STATIC widgets/datamgmt_loader.cpp)
target_link_libraries(velmora_datamgmt_loader PUBLIC velmora_datamgmt_core velmora_ui)
