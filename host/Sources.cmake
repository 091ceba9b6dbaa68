# The viewer sources both viewers compile, each into its own targets:
#   VE_PAGE_READER_SOURCES  the page reader (OBJECT and PARAM elements, over
#                           libxml2) and the network errors in words
#   VE_OPTIONS_SOURCES      camview's command line, and what both viewers make
#                           of an address a person gives
#   VE_REPORT_SOURCES       the JSON-line report and the input script
#   VE_CORE_SOURCES         the viewer's core: the headless run and its
#                           report, over each face's HeadlessFace; the
#                           event sink; making a control by class; its
#                           property pages; which
#                           controls a page may make the viewer load; the
#                           window's status line; the grid; when a camera
#                           whose stream ended is made again; the "Message"
#                           frame's loads; the picture scaled to the window;
#                           the window's keys, its snapshots' names and its
#                           recent addresses; recording (over libavformat:
#                           linked in where it is built with the viewer,
#                           loaded when first needed where it is the
#                           system's)
set(VE_PAGE_READER_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/page/ViewerPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page/NetworkErrors.cpp
)
set(VE_OPTIONS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/container/CamviewOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/ViewerAddress.cpp
)
set(VE_REPORT_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/container/EventLog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/headless/InputScript.cpp
)
set(VE_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/core/CameraCredentials.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/CaptureName.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/ControlFactory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/AvFormatCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/ControlPolicy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/EventSink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/Grid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/HeadlessLoop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/MatroskaWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/MessageFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/PropertyPages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/Reconnect.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/Recording.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/StatusLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/StreamTap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/ViewScaling.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/ViewerCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/ViewerShell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/SnapshotName.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/RecentAddresses.cpp
)
