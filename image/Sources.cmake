# The image folder's sources, which both builds compile: the JPEG glue, the
# image and palette classes, the bitmap block and the drawing of a picture.
set(VE_IMAGE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Dib.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageImpl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegImageImpl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Palette.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Render.cpp
)
