# What both viewers compile, each into its own targets (host/CMakeLists.txt
# on Linux, windows/Viewer.cmake and windows/Plumbing.cmake on Windows):
#   VE_PAGE_READER_SOURCES  the page reader (OBJECT and PARAM elements, over
#                           libxml2), the network errors in words, and a
#                           wall's pages loaded one after another
#   VE_OPTIONS_SOURCES      camview's command line, and what both viewers make
#                           of an address a person gives
#   VE_REPORT_SOURCES       the JSON-line report and the input script
#   VE_CORE_SOURCES         the viewer shell and its command set; the headless
#                           run over each face's HeadlessFace; the event sink;
#                           making a control by class and its property pages;
#                           which controls a page may load; the status line;
#                           the grid; reconnection; the "Message" frame's
#                           loads; the picture scaled to the window; snapshot
#                           names, recent addresses and saved walls; recording (over
#                           libavformat: linked in where it is built with the
#                           viewer, loaded when first needed where it is the
#                           system's)
set(VE_PAGE_READER_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/page/ViewerPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page/NetworkErrors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page/WallLoad.cpp
)
set(VE_PROXY_SOURCES ${CMAKE_CURRENT_LIST_DIR}/page/ProxyInUse.cpp)
set(VE_OPTIONS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CamviewOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ViewerAddress.cpp
)
set(VE_REPORT_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/EventLog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InputScript.cpp
)
set(VE_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CameraCredentials.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CaptureName.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ControlFactory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AvFormatCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ControlPolicy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EventSink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameSinks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Grid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HeadlessLoop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MatroskaWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PropertyPages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Reconnect.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Recording.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatusLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamTap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ViewScaling.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ViewerCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ViewerShell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SnapshotName.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecentAddresses.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Wall.cpp
)

# The service (camview serve): libmicrohttpd's server, the routes, the
# feeds its watchers take pictures and report lines from, the painted
# picture as JPEG, and the face over the shell; the logins over libsodium
# where it is built.
set(VE_SERVE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/serve/CameraService.cpp
  ${CMAKE_CURRENT_LIST_DIR}/serve/Feeds.cpp
  ${CMAKE_CURRENT_LIST_DIR}/serve/HttpServer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/serve/PictureJpeg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/serve/ServeFace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/serve/ServeLogin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/serve/ServeRoutes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/serve/Streams.cpp
)
set(VE_SERVE_LOGIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/serve/Accounts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/serve/AddUser.cpp
  ${PROJECT_SOURCE_DIR}/platform/service/linux/PasswordInput.cpp
  ${PROJECT_SOURCE_DIR}/platform/service/linux/PrivateFile.cpp
)
