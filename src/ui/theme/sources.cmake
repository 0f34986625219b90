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
# Symbols that no installed icon theme draws recognisably, or draws filled where the tools draw outlines.
qt_add_resources(zepla_ui zepla_ui_symbols
  PREFIX /zepla/symbols
  BASE ${CMAKE_CURRENT_LIST_DIR}/symbols
  FILES
    ${CMAKE_CURRENT_LIST_DIR}/symbols/form-field.svg
    ${CMAKE_CURRENT_LIST_DIR}/symbols/form-field.bold.svg
    ${CMAKE_CURRENT_LIST_DIR}/symbols/oval.svg
    ${CMAKE_CURRENT_LIST_DIR}/symbols/oval.bold.svg
    ${CMAKE_CURRENT_LIST_DIR}/symbols/rectangle.svg
    ${CMAKE_CURRENT_LIST_DIR}/symbols/rectangle.bold.svg
    ${CMAKE_CURRENT_LIST_DIR}/symbols/hand.thumbsdown.svg
    ${CMAKE_CURRENT_LIST_DIR}/symbols/hand.thumbsup.svg
)
