# The control for Windows: the same sources as on Linux over the framework
# over real OLE (the rest of the system is vewin), and the module VE_VIRIZU.OCX
# that a container loads through the registry.
include(${PROJECT_SOURCE_DIR}/control/Sources.cmake)

if(TARGET veframework AND TARGET veresources)
  add_library(vesystem STATIC ${VE_CONTROL_SOURCES})
  target_link_libraries(vesystem PUBLIC vewin veframework ws2_32 wininet PRIVATE ve_warnings ve_win_jpeg)

  # The module: its entry points exported by the definition file, its
  # resources and type library compiled in.
  add_library(ve_virizu SHARED
    ${VE_MODULE_SOURCES}
    ${PROJECT_SOURCE_DIR}/control/module/TypeLibrary.cpp
    ${PROJECT_SOURCE_DIR}/control/module/VE_VIRIZU.def
    $<TARGET_OBJECTS:veresources>
  )
  set_target_properties(ve_virizu PROPERTIES PREFIX "" OUTPUT_NAME "VE_VIRIZU" SUFFIX ".OCX"
                        RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
  target_link_libraries(ve_virizu PRIVATE vesystem ve_warnings)
  # i686: the entry points are __stdcall (DllGetClassObject@12); the
  # definition file's plain names resolve to them and are exported plain.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(ve_virizu PRIVATE -Wl,--enable-stdcall-fixup -Wl,--kill-at)
  endif()

  # The module under a real COM run-time: registration, creation, the
  # interfaces, in-place activation, a picture from a camera (VE_CAMERA),
  # events and the unload test. Beside the module, which it registers.
  add_executable(win_module_tests
    ${PROJECT_SOURCE_DIR}/tests/windows/ContainersTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/windows/ModuleTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/windows/support/ModuleHarness.cpp
    ${PROJECT_SOURCE_DIR}/tests/windows/support/TestSite.cpp
    ${PROJECT_SOURCE_DIR}/control/ImageCtrlIds.cpp
  )
  set_target_properties(win_module_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
  target_link_libraries(win_module_tests PRIVATE veframework ve_win_turbojpeg gtest gtest_main wininet ole32 oleaut32
                        uuid user32 gdi32 ws2_32 ve_warnings)
  add_dependencies(win_module_tests ve_virizu)
endif()
