# The control framework over real OLE (COleControl and its interfaces, the
# property exchange, the Afx calls) and the portable COM helpers (GUID text,
# UTF-8 <-> wide text, VARIANT makers), as the static library veframework.
add_library(veframework STATIC
  ${PROJECT_SOURCE_DIR}/platform/com/Guid.cpp
  ${PROJECT_SOURCE_DIR}/platform/com/Variant.cpp
  ${PROJECT_SOURCE_DIR}/platform/com/win32/Guids.cpp
  ${PROJECT_SOURCE_DIR}/platform/com/win32/Text.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/PropExchange.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/WinMessageBox.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/win32/ConnectionPoint.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/win32/Control.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/win32/Dispatch.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/win32/InPlace.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/win32/OleControlInfo.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/win32/OleObject.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/win32/Persist.cpp
  ${PROJECT_SOURCE_DIR}/platform/framework/win32/ViewObject.cpp
)
target_link_libraries(veframework PUBLIC ve_root oleaut32 ole32 uuid user32 gdi32 PRIVATE ve_warnings)
