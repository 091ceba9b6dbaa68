# The control framework over real OLE (COleControl and its interfaces, the
# property exchange, the Afx calls) and the portable COM helpers (GUID text,
# UTF-8 <-> wide text, VARIANT makers), as the static library veframework.
add_library(veframework STATIC
  ${PROJECT_SOURCE_DIR}/platform/com/Guid.cpp
  ${PROJECT_SOURCE_DIR}/platform/com/Variant.cpp
  ${PROJECT_SOURCE_DIR}/platform/com/win32/Text.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/ConnectionPoint.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/Dispatch.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/OleControl.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/OleControlCommon.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/OleControlInfo.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/OleObject.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/OlePropertyPage.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/Persist.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/PropExchange.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/PropertyStream.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/ViewObject.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/win32/AfxMessageBox.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/win32/ControlServices.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/win32/ControlWindow.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/win32/DataObject.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/win32/PropertyPageDialog.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/win32/Storage.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/win32/TypeLibrary.cpp
)
target_link_libraries(veframework PUBLIC ve_root vetrace oleaut32 ole32 uuid user32 gdi32 PRIVATE ve_warnings)

# The framework's conformance tests under Wine: a small control in a small
# container. The program carries a small type library (compiled by widl)
# and a string table, as a control module does.
set(ve_test_idl ${PROJECT_SOURCE_DIR}/tests/windows/TestControl.idl)
set(VE_TEST_TLB ${CMAKE_CURRENT_BINARY_DIR}/TestControl.tlb)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ve_widl_arch --win64)
else()
  set(ve_widl_arch --win32)
endif()
add_custom_command(OUTPUT ${VE_TEST_TLB}
  COMMAND ${ve_mingw_triple}-widl ${ve_widl_arch} -t -o ${VE_TEST_TLB} ${ve_test_idl}
  DEPENDS ${ve_test_idl}
  COMMENT "Type library of the framework's test control")
configure_file(${PROJECT_SOURCE_DIR}/tests/windows/TestControl.rc.in ${CMAKE_CURRENT_BINARY_DIR}/TestControl.rc @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/TestControl.rc PROPERTIES OBJECT_DEPENDS ${VE_TEST_TLB})
enable_language(RC)
add_executable(win_framework_tests
  ${PROJECT_SOURCE_DIR}/tests/windows/OleControlTest.cpp
  ${CMAKE_CURRENT_BINARY_DIR}/TestControl.rc
)
target_link_libraries(win_framework_tests PRIVATE veframework gtest ve_warnings)
