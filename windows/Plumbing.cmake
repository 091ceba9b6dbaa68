# The Windows viewer's plumbing, shared with or mirroring the Linux viewer's:
#   camview_options  the command line (host/container/CamviewOptions.cpp, as on Linux)
add_library(camview_options STATIC ${PROJECT_SOURCE_DIR}/host/container/CamviewOptions.cpp)
target_link_libraries(camview_options PUBLIC ve_root PRIVATE ve_warnings)
