# The document window's toolbar: its groups and value controls over the tool state.
target_sources(zepla_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ColorAndWidthGroup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ColorWell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FontMenuButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineStyleHoverModifier.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineStylePicker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MarkupGroup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageGroup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PointSizeField.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SegmentedPicker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SignaturePopover.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SizeControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToolGroup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToolbarButtons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToolbarHelp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToolbarRowsLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WorkspaceToolbar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZoomGroup.cpp
)
