target_sources(zepla_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PasswordField.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PasswordField.h
  ${CMAKE_CURRENT_LIST_DIR}/PasswordPromptDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PasswordPromptDialog.h
  ${CMAKE_CURRENT_LIST_DIR}/SetPasswordSheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SetPasswordSheet.h
  ${CMAKE_CURRENT_LIST_DIR}/UnlockDocumentView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnlockDocumentView.h
)
