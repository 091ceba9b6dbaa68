# The module's resources and type library.
#   ImageCtrl.tlb  widl's compilation of resources/ImageCtrl.idl
#   veresources    resources/VE_VIRIZU.rc through windres, as an OBJECT
#                  library, which the module links
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
add_library(veresources OBJECT ${PROJECT_SOURCE_DIR}/resources/VE_VIRIZU.rc)
set_source_files_properties(${PROJECT_SOURCE_DIR}/resources/VE_VIRIZU.rc PROPERTIES
  OBJECT_DEPENDS "${ve_resource_files}")
target_include_directories(veresources PRIVATE ${PROJECT_SOURCE_DIR}/resources ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(veresources ve_typelib)
