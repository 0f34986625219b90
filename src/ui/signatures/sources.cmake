# The signature picker and the pad a new signature is drawn on.
target_sources(zepla_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SignaturePadCanvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SignaturePadSheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SignaturePickerView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SignatureTile.cpp
)
