# The control folder's sources, which both builds compile.
#   VE_CONTROL_SOURCES  the control: its shell, configuration, tick and
#                       drawing, the gestures it handles on the
#                       picture (gestures/), and its resources' code
#   VE_MODULE_SOURCES   the in-process module: its start, entry points and
#                       registration list; each build adds its own way of
#                       registering the type library
set(VE_CONTROL_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Draw.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameTap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageCtrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageCtrlIds.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImagePropPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Interfaces.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MotionComment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Parameters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReceiveStep.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StartUp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Tick.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ViewTuning.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gestures/ClickAndCenter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gestures/DigitalZoom.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gestures/FirstFrameCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gestures/MouseInput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gestures/OpticalZoom.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gestures/SecondaryButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../resources/ImageCtrlResources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../resources/Pictures.cpp
)
set(VE_MODULE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/module/Module.cpp
  ${CMAKE_CURRENT_LIST_DIR}/module/Registration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/module/RegistryKeys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/module/RegistryList.cpp
)
