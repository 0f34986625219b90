# The settings window: default viewer and the assistant's own key.
target_sources(zepla_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SettingsView.cpp
)
