# camview.exe: the viewer as a native Win32 container of the real module.
#   veviewer     the container's pieces (site, browser, bag, event sink,
#                what a control drew, cursors, the grid) and the report
#   camview      the program, beside VE_VIRIZU.OCX
#   win_viewer_tests  the pieces under Wine
# The command line, the page reader, the page fetch and the PNG writer come
# from Plumbing.cmake's targets (camview_options, vepage, camview_fetch,
# camview_png).
add_library(veviewer STATIC
  ${PROJECT_SOURCE_DIR}/host/win32/Container.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/ControlFactory.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/ControlSite.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/CursorNames.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/DrawRecord.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/PointerInput.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/InPlaceFrame.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/MessageBrowser.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/ParamBag.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/PropertyPages.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/DrawCalls.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/Utf.cpp
  ${VE_REPORT_SOURCES}
  ${VE_CORE_SOURCES}
)
target_link_libraries(veviewer PUBLIC ve_root vepage veframework ole32 oleaut32 uuid user32 gdi32 msvfw32 PRIVATE ve_warnings)

add_executable(camview
  ${PROJECT_SOURCE_DIR}/tools/camview/win32/main.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/FetchText.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/Headless.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/PageSource.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/Window.cpp
)
target_compile_definitions(camview PRIVATE VE_VERSION="${PROJECT_VERSION}")
target_link_libraries(camview PRIVATE veviewer camview_options camview_fetch camview_png vepage wininet windowscodecs
                      comctl32 ve_warnings)
set_target_properties(camview PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR} WIN32_EXECUTABLE ON)
add_dependencies(camview ve_virizu)

# The container's pieces under Wine.
add_executable(win_viewer_tests ${PROJECT_SOURCE_DIR}/tests/windows/ViewerContainerTest.cpp
                                ${PROJECT_SOURCE_DIR}/tests/host/StatusLineTest.cpp)
target_link_libraries(win_viewer_tests PRIVATE veviewer gtest gtest_main ve_warnings)
set_target_properties(win_viewer_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
