# Folder disguise and lock: the rules in plain C++, then the dialogs.
add_library(velmora_dirhide STATIC
  ${CMAKE_CURRENT_LIST_DIR}/dir_disguise.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dir_disguise_kept.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dir_disguise_password.cpp
)
target_link_libraries(velmora_dirhide PUBLIC velmora_store velmora_sys)

add_library(velmora_dirhide_widgets STATIC
  ${CMAKE_CURRENT_LIST_DIR}/widgets/uFX_dirhide.cpp
  ${CMAKE_CURRENT_LIST_DIR}/widgets/usetpass.cpp
)
set_target_properties(velmora_dirhide_widgets PROPERTIES AUTOMOC ON)
target_link_libraries(velmora_dirhide_widgets PUBLIC velmora_dirhide velmora_ui Qt6::Widgets)
