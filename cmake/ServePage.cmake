# camview serve's page (host/core/serve/page) built into `target` as bytes,
# made again whenever a file of it changes.
function(ve_serve_page target)
  set(page ${PROJECT_SOURCE_DIR}/host/core/serve/page)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/PageAssets.cpp)
  set(assets "/=${page}/index.html:text/html|/login=${page}/login.html:text/html|/app.js=${page}/app.js:text/javascript|/style.css=${page}/style.css:text/css")
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${out} "-DASSETS=${assets}" -P ${PROJECT_SOURCE_DIR}/cmake/EmbedAssets.cmake
    DEPENDS ${page}/index.html ${page}/login.html ${page}/app.js ${page}/style.css ${PROJECT_SOURCE_DIR}/cmake/EmbedAssets.cmake
    COMMENT "Building camview serve's page into the program" VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
