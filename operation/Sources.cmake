# The operation folder's sources, which both builds compile: the camera's
# zoom limits and address, and the workers that carry each zoom command.
set(VE_OPERATION_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ZoomController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZoomWorker.cpp
)
