# camview.exe's own rooms, over the real Windows API and OLE:
#   VE_WIN32_FETCH_SOURCES      the page fetched through WinInet, with the
#                               password dialog and the Credential Manager
#   VE_WIN32_PNG_SOURCES        PNG files written through WIC
#   VE_WIN32_CONTAINER_SOURCES  the OLE container of the real module: site,
#                               browser, bag, event sink, what a control drew,
#                               cursors, the grid, the password calls
#   VE_WIN32_WINDOW_SOURCES     the Win32 window face: the picture view, the
#                               address dialog, snapshots
#   VE_WIN32_SERVE_SOURCES      the service's face (camview.exe serve)
#   VE_WIN32_PROGRAM_SOURCES    the page load, the headless face and the window
set(VE_WIN32_FETCH_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/container/PageFetch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window/PasswordDialog.cpp
)
set(VE_WIN32_PNG_SOURCES ${CMAKE_CURRENT_LIST_DIR}/container/PngWriter.cpp)
set(VE_WIN32_CONTAINER_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/container/Apartment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/Container.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/ControlFactory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/ControlSite.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/CursorNames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/DrawRecord.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/InPlaceFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/MessageBrowser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/ParamBag.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/PropertyPages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/DrawCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/Utf.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/UserFolders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/ImportTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/PasswordCalls.cpp
)
set(VE_WIN32_WINDOW_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/window/PointerInput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window/Canvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window/PictureView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window/Snapshots.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window/AddressPrompt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window/WindowBars.cpp
)
set(VE_WIN32_SERVE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/serve/Win32Serve.cpp)
set(VE_WIN32_PROGRAM_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/container/PageLoader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/headless/Headless.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window/Win32Face.cpp
)
