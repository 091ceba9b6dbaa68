# The module's resources and type library.
#   ImageCtrl.tlb  widl's compilation of resources/ImageCtrl.idl
#   veresources    resources/VE_VIRIZU.rc through windres, as an OBJECT
#                  library: the module links it, and so does the test
#                  program, which reads the resources from its own file
#   win_resources_tests  that test program (GoogleTest, run under Wine)
enable_language(RC)

# widl of the target's triple, for the target's word size.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ve_widl_arch --win64)
else()
  set(ve_widl_arch --win32)
endif()
find_program(VE_WIDL NAMES ${ve_mingw_triple}-widl widl REQUIRED)
set(ve_typelib ${CMAKE_CURRENT_BINARY_DIR}/ImageCtrl.tlb)
add_custom_command(OUTPUT ${ve_typelib}
  COMMAND ${VE_WIDL} ${ve_widl_arch} --nostdinc -t -o ${ve_typelib} ${PROJECT_SOURCE_DIR}/resources/ImageCtrl.idl
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/ImageCtrl.idl
  COMMENT "Compiling the type library ImageCtrl.tlb")
add_custom_target(ve_typelib DEPENDS ${ve_typelib})

# The resource script finds ResourceIds.h and the pictures beside itself,
# the type library in the build folder.
set(ve_resource_files
  ${PROJECT_SOURCE_DIR}/resources/ResourceIds.h
  ${PROJECT_SOURCE_DIR}/resources/Zoom.cur
  ${PROJECT_SOURCE_DIR}/resources/ZoomIn.cur
  ${PROJECT_SOURCE_DIR}/resources/ZoomOut.cur
  ${PROJECT_SOURCE_DIR}/resources/Zoom.ico
  ${PROJECT_SOURCE_DIR}/resources/ZoomIn.ico
  ${PROJECT_SOURCE_DIR}/resources/ZoomOut.ico
  ${PROJECT_SOURCE_DIR}/resources/Toolbox.bmp
  ${ve_typelib})
# The project's one version number, for the version information.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/VersionInfo.h.in
  "#define VE_RC_VERSION @PROJECT_VERSION_MAJOR@, @PROJECT_VERSION_MINOR@, @PROJECT_VERSION_PATCH@, 0\n"
  "#define VE_RC_VERSION_TEXT \"@PROJECT_VERSION@\"\n")
configure_file(${CMAKE_CURRENT_BINARY_DIR}/VersionInfo.h.in ${CMAKE_CURRENT_BINARY_DIR}/VersionInfo.h @ONLY)
list(APPEND ve_resource_files ${CMAKE_CURRENT_BINARY_DIR}/VersionInfo.h)
add_library(veresources OBJECT ${PROJECT_SOURCE_DIR}/resources/VE_VIRIZU.rc)
set_source_files_properties(${PROJECT_SOURCE_DIR}/resources/VE_VIRIZU.rc PROPERTIES
  OBJECT_DEPENDS "${ve_resource_files}")
target_include_directories(veresources PRIVATE ${PROJECT_SOURCE_DIR}/resources ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(veresources ve_typelib)

# The test program carries the module's resources in its own file and
# checks them through Windows' own loaders. It compares the type library
# with the identifiers of control/ImageCtrlIds.cpp, copied here from that
# file's definitions (the test needs nothing else of the control).
file(READ ${PROJECT_SOURCE_DIR}/control/ImageCtrlIds.cpp ve_ids_source)
set(ve_expected_ids "// Copied by windows/Resources.cmake from control/ImageCtrlIds.cpp.\n#pragma once\n")
foreach(name CLSID_ImageCtrl CLSID_ImagePropPage LIBID_ImageCtrlLib IID__ZEz_orerir IID__VEd_oruvudUruzuv)
  if(NOT ve_ids_source MATCHES "[ \t\n]${name} = ({[^;]*});")
    message(FATAL_ERROR "control/ImageCtrlIds.cpp defines no ${name} in the form NAME = {...};")
  endif()
  string(APPEND ve_expected_ids "static const GUID kExpected_${name} = ${CMAKE_MATCH_1};\n")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/expected/ExpectedIds.h CONTENT "${ve_expected_ids}" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/control/ImageCtrlIds.cpp)

add_executable(win_resources_tests
  ${PROJECT_SOURCE_DIR}/tests/windows/ResourcesTest.cpp
  ${PROJECT_SOURCE_DIR}/resources/Pictures.cpp
  $<TARGET_OBJECTS:veresources>)
target_include_directories(win_resources_tests PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/expected)
target_link_libraries(win_resources_tests PRIVATE ve_root gtest gtest_main ve_warnings
                      user32 gdi32 oleaut32 ole32 uuid version)
