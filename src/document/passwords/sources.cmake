target_sources(zepla_document PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PDFUnlocker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PDFUnlocker.h
  ${CMAKE_CURRENT_LIST_DIR}/PasswordCopies.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PasswordCopies.h
)
