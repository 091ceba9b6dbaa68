# The Linux viewer's own rooms, over the platform stand-in:
#   VE_LINUX_FETCH_SOURCES      the page fetched through the stand-in's WinInet
#   VE_LINUX_CONTAINER_SOURCES  the container of controls on apartment threads,
#                               the site and browser services, the page load,
#                               the user's folders
#   VE_LINUX_HEADLESS_SOURCES   the headless face
#   VE_LINUX_SERVE_SOURCES      the service's face (camview serve)
#   VE_LINUX_WINDOW_SOURCES     the SDL2 window face and its dialogs
set(VE_LINUX_FETCH_SOURCES ${CMAKE_CURRENT_LIST_DIR}/container/PageFetch.cpp)
set(VE_LINUX_CONTAINER_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/container/HostSite.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/ClassModule.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/Apartment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/ViewerContainer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/PageLoader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/ViewerSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/UserFolders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container/Snapshot.cpp
)
set(VE_LINUX_HEADLESS_SOURCES ${CMAKE_CURRENT_LIST_DIR}/headless/HeadlessViewer.cpp)
set(VE_LINUX_SERVE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/serve/LinuxServe.cpp ${CMAKE_CURRENT_LIST_DIR}/serve/CursorPictures.cpp)
set(VE_LINUX_WINDOW_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/window/SdlFace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window/SdlPicture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window/PasswordDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window/PhysicalButtons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window/SdlCursors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window/Widgets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window/AddressDialog.cpp
)
