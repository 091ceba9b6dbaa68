# camview.exe: the viewer as a native Win32 container of the real module.
#   veviewer     the container's pieces (site, browser, bag, event sink,
#                what a control drew, cursors, the grid) and the report
#   camview      the program, beside VE_VIRIZU.OCX
#   win_viewer_tests  the pieces under Wine
# The command line, the page reader, the page fetch and the PNG writer come
# from Plumbing.cmake's targets when it defines them (camview_options,
# vepage, camview_fetch, camview_png); a piece without a target whose
# source is present is compiled here.
add_library(veviewer STATIC
  ${PROJECT_SOURCE_DIR}/host/win32/Container.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/ControlFactory.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/ControlSite.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/CursorNames.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/DrawRecord.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/EventSink.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/HeldButtons.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/InPlaceFrame.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/MessageBrowser.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/ParamBag.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/PropertyPages.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/Utf.cpp
  ${PROJECT_SOURCE_DIR}/host/container/EventLog.cpp
  ${PROJECT_SOURCE_DIR}/host/headless/InputScript.cpp
)
target_link_libraries(veviewer PUBLIC ve_root ole32 oleaut32 uuid user32 gdi32 PRIVATE ve_warnings)

set(VE_VIEWER_PIECES "")
set(VE_VIEWER_READY TRUE)
foreach(piece camview_options:host/container/CamviewOptions.cpp camview_fetch:host/win32/PageFetch.cpp
              camview_png:host/win32/PngWriter.cpp)
  string(REPLACE ":" ";" piece "${piece}")
  list(GET piece 0 target)
  list(GET piece 1 source)
  if(TARGET ${target})
    list(APPEND VE_VIEWER_PIECES ${target})
  elseif(EXISTS ${PROJECT_SOURCE_DIR}/${source})
    list(APPEND VE_VIEWER_PIECES ${PROJECT_SOURCE_DIR}/${source})
  else()
    set(VE_VIEWER_READY FALSE)
    message(STATUS "camview.exe waits for ${source}")
  endif()
endforeach()

if(VE_VIEWER_READY AND TARGET ve_virizu)
  add_executable(camview
    ${PROJECT_SOURCE_DIR}/tools/camview/win32/main.cpp
    ${PROJECT_SOURCE_DIR}/host/win32/FetchText.cpp
    ${PROJECT_SOURCE_DIR}/host/win32/Headless.cpp
    ${PROJECT_SOURCE_DIR}/host/win32/PageSource.cpp
    ${PROJECT_SOURCE_DIR}/host/win32/Window.cpp
  )
  foreach(piece ${VE_VIEWER_PIECES})
    if(TARGET ${piece})
      target_link_libraries(camview PRIVATE ${piece})
    else()
      target_sources(camview PRIVATE ${piece})
    endif()
  endforeach()
  if(TARGET vepage)
    target_link_libraries(camview PRIVATE vepage)
    target_compile_definitions(camview PRIVATE VE_HAVE_PAGE_READER=1)
  endif()
  target_compile_definitions(camview PRIVATE VE_VERSION="${PROJECT_VERSION}")
  target_link_libraries(camview PRIVATE veviewer wininet windowscodecs comctl32 ve_warnings)
  set_target_properties(camview PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
  add_dependencies(camview ve_virizu)
endif()

# The container's pieces under Wine.
add_executable(win_viewer_tests ${PROJECT_SOURCE_DIR}/tests/windows/ViewerContainerTest.cpp)
target_link_libraries(win_viewer_tests PRIVATE veviewer gtest gtest_main ve_warnings)
set_target_properties(win_viewer_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
