# The stream folder's sources, which both builds compile: the stream buffer
# with the multipart reader, the request and its credentials, the
# connection worker and the preflight.
set(VE_STREAM_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/BoundaryScan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChunkedDecoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegEnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MultipartReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Preflight.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Request.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResponseHead.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamBuffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamClient.cpp
)
