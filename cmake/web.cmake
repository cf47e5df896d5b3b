# The browser build (`make web`, tools/build-web): the same sources and data, compiled by
# Emscripten into spraywick.html, .js, .wasm and .data. The window, input and timer are
# Emscripten's GLFW 3, drawing is WebGL behind its legacy OpenGL emulation (the renderer is
# fixed-function), sound is its OpenAL over Web Audio, and the state file lives in IndexedDB.
# The page is also an app a phone installs (spraywick.webmanifest, web/icons/) whose service
# worker keeps every file for playing offline.
# Only the game is built: tests and benchmarks run on the desktop, the page in tests/web.
set(ZV_BUILD_TESTS OFF)
set(ZV_BUILD_BENCH OFF)
# The linker writes spraywick.js, .wasm and .data; the page that loads them is our own.
set(CMAKE_EXECUTABLE_SUFFIX .js)
configure_file(web/spraywick.html ${CMAKE_BINARY_DIR}/spraywick.html COPYONLY)
configure_file(web/spraywick.webmanifest ${CMAKE_BINARY_DIR}/spraywick.webmanifest COPYONLY)
set(web_icons icons/spraywick-192.png icons/spraywick-512.png)
foreach(icon IN LISTS web_icons)
  configure_file(web/${icon} ${CMAKE_BINARY_DIR}/${icon} COPYONLY)
endforeach()

# The service worker names its cache after the files it keeps, so it is written anew on every
# build, once the game is linked.
set(offline_files spraywick.html spraywick.js spraywick.wasm spraywick.data spraywick.webmanifest
    ${web_icons})
add_custom_target(spraywick-offline ALL
  COMMAND ${CMAKE_COMMAND} -DFOLDER=${CMAKE_BINARY_DIR} -DTEMPLATE=${CMAKE_SOURCE_DIR}/web/service-worker.js.in
          "-DFILES=${offline_files}" -P ${CMAKE_SOURCE_DIR}/cmake/service-worker.cmake
  COMMENT "Writing the service worker"
  VERBATIM)
add_dependencies(spraywick-offline spraywick)

add_library(zv_web_platform INTERFACE)
# stb comes as Debian's headers; only their folder is put on the path, since the rest of
# /usr/include would shadow Emscripten's own libc headers.
set(stb_include ${CMAKE_BINARY_DIR}/stb-include)
file(MAKE_DIRECTORY ${stb_include})
file(CREATE_LINK /usr/include/stb ${stb_include}/stb SYMBOLIC)
target_include_directories(zv_web_platform SYSTEM INTERFACE ${stb_include})

# What the page needs from the linker; only the game's executable links the native layer here.
target_link_options(zv_web_platform INTERFACE
  -sUSE_GLFW=3 -sLEGACY_GL_EMULATION=1 -lopenal -lidbfs.js
  -sALLOW_MEMORY_GROWTH=1
  --preload-file ${CMAKE_SOURCE_DIR}/data@/data
  --pre-js ${CMAKE_SOURCE_DIR}/web/host.js)
set_property(TARGET zv_web_platform APPEND PROPERTY INTERFACE_LINK_DEPENDS ${CMAKE_SOURCE_DIR}/web/host.js)
