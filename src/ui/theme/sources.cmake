# The shared theme: palette, symbol icons and the toolbar controls.
target_sources(zepla_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DialogSizing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Colors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ColorSwatchButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Symbols.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ThemeButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ThemePainting.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToolbarLabeledButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToolbarPillButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToolbarSectionDivider.cpp
)
