# The Windows Installer package of this architecture,
# camview-VERSION-x64.msi or -x86.msi, built by wixl (Debian's msitools):
# camview.exe and VE_VIRIZU.OCX (stripped; their debug information goes
# into camview-VERSION-ARCH-debug/ beside the package), the Windows README
# (packaging/windows/README.txt, with the version filled in and CR LF line
# ends), the licence as text and the icon, with the
# control's registry rows written by msireg from the module's own
# registration list. msireg runs on the build machine: it comes from the
# Linux build (VE_MSIREG). A second package of the next patch version,
# in package-upgrade/, is what the upgrade test installs over the first.
find_program(VE_WIXL wixl)
find_program(VE_RSVG_CONVERT rsvg-convert)
find_program(VE_ICOTOOL icotool)
set(VE_MSIREG "${PROJECT_SOURCE_DIR}/build/tools/msireg/msireg" CACHE FILEPATH "msireg, built for the build machine")

# The program's icon, from the same drawing as the Linux desktop entry's.
set(ve_icon ${PROJECT_BINARY_DIR}/camview.ico)
if(VE_RSVG_CONVERT AND VE_ICOTOOL)
  set(ve_icon_pngs)
  foreach(size 16 32 48 256)
    list(APPEND ve_icon_pngs ${CMAKE_CURRENT_BINARY_DIR}/camview-${size}.png)
    add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/camview-${size}.png
      COMMAND ${VE_RSVG_CONVERT} -w ${size} -h ${size} ${PROJECT_SOURCE_DIR}/packaging/camview.svg
              -o ${CMAKE_CURRENT_BINARY_DIR}/camview-${size}.png
      DEPENDS ${PROJECT_SOURCE_DIR}/packaging/camview.svg VERBATIM)
  endforeach()
  list(GET ve_icon_pngs 3 ve_icon_large)
  list(REMOVE_AT ve_icon_pngs 3)
  # The large picture is kept as PNG inside the icon, as Windows reads it.
  add_custom_command(OUTPUT ${ve_icon}
    COMMAND ${VE_ICOTOOL} -c -o ${ve_icon} ${ve_icon_pngs} -r ${ve_icon_large}
    DEPENDS ${ve_icon_pngs} ${ve_icon_large} VERBATIM)
  add_custom_target(camview_icon DEPENDS ${ve_icon})
  # camview.exe carries it, so that its window, its shortcut and the list
  # of installed programs show it.
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/camview.rc "1 ICON \"${ve_icon}\"\n")
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/camview.rc PROPERTIES OBJECT_DEPENDS ${ve_icon})
  target_sources(camview PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/camview.rc)
  add_dependencies(camview camview_icon)
endif()

if(NOT VE_WIXL OR NOT TARGET camview_icon OR NOT EXISTS "${VE_MSIREG}")
  message(STATUS "Windows packages not built: they need wixl, rsvg-convert, icotool and ${VE_MSIREG}")
  return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ve_msi_arch x64)
  set(ve_typelib_platform win64)
else()
  set(ve_msi_arch x86)
  set(ve_typelib_platform win32)
endif()
math(EXPR ve_next_patch "${PROJECT_VERSION_PATCH} + 1")
set(ve_next_version ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${ve_next_patch})
set(ve_stage ${PROJECT_BINARY_DIR}/package)
set(ve_msi ${PROJECT_BINARY_DIR}/camview-${PROJECT_VERSION}-${ve_msi_arch}.msi)
set(ve_msi_next ${PROJECT_BINARY_DIR}/package-upgrade/camview-${ve_next_version}-${ve_msi_arch}.msi)
set(ve_wxs ${PROJECT_SOURCE_DIR}/packaging/windows/camview.wxs)
set(ve_debug ${PROJECT_BINARY_DIR}/camview-${PROJECT_VERSION}-${ve_msi_arch}-debug)
file(MAKE_DIRECTORY ${ve_stage} ${PROJECT_BINARY_DIR}/package-upgrade ${ve_debug})
set(ve_readme ${CMAKE_CURRENT_BINARY_DIR}/README.txt)
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt ${ve_readme} @ONLY NEWLINE_STYLE CRLF)

add_custom_command(OUTPUT ${ve_msi} ${ve_msi_next}
  # The debug information beside the package, not in it; the stripped
  # files name their debug file.
  COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:camview> ${ve_debug}/camview.exe.debug
  COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:ve_virizu> ${ve_debug}/VE_VIRIZU.OCX.debug
  COMMAND ${CMAKE_STRIP} -o ${ve_stage}/camview.exe $<TARGET_FILE:camview>
  COMMAND ${CMAKE_STRIP} -o ${ve_stage}/VE_VIRIZU.OCX $<TARGET_FILE:ve_virizu>
  COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=${ve_debug}/camview.exe.debug ${ve_stage}/camview.exe
  COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=${ve_debug}/VE_VIRIZU.OCX.debug ${ve_stage}/VE_VIRIZU.OCX
  COMMAND ${CMAKE_COMMAND} -E copy ${ve_readme} ${ve_stage}/README.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE ${ve_stage}/LICENSE.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${ve_icon} ${ve_wxs} ${ve_stage}/
  COMMAND ${VE_MSIREG} ${ve_typelib_platform} ${ve_stage}/registry.wxi ${ve_stage}/registry32.wxi
  COMMAND ${VE_WIXL} -a ${ve_msi_arch} -D Version=${PROJECT_VERSION} -D Arch=${ve_msi_arch} camview.wxs -o ${ve_msi}
  COMMAND ${VE_WIXL} -a ${ve_msi_arch} -D Version=${ve_next_version} -D Arch=${ve_msi_arch} camview.wxs
          -o ${ve_msi_next}
  WORKING_DIRECTORY ${ve_stage}
  DEPENDS camview ve_virizu ${VE_MSIREG} ${ve_wxs} ${ve_icon} ${ve_readme} ${PROJECT_SOURCE_DIR}/LICENSE
  COMMENT "Building camview-${PROJECT_VERSION}-${ve_msi_arch}.msi"
  VERBATIM)
add_custom_target(packages ALL DEPENDS ${ve_msi} ${ve_msi_next})

# The installed package's tests, run under Wine by scripts/windows-tests
# in a prefix of their own.
add_executable(win_package_tests
  ${PROJECT_SOURCE_DIR}/tests/windows/PackageTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/windows/support/ModuleHarness.cpp
  ${PROJECT_SOURCE_DIR}/control/ImageCtrlIds.cpp
)
set_target_properties(win_package_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
target_link_libraries(win_package_tests PRIVATE veframework ve_win_turbojpeg gtest gtest_main wininet ole32 oleaut32
                      uuid shell32 user32 gdi32 ve_warnings)
