target_sources(zepla_document PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DocumentRecognition.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OCRTextLayer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OCRTextLayerApplier.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageOCRExtractor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageRecognition.cpp
)
target_link_libraries(zepla_document PUBLIC zepla_ocr)
