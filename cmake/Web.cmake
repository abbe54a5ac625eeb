# The browser build (the web preset: emscripten's toolchain, output in
# build/web/). The site is build/web/ itself: index.html, vorne.js,
# vorne.wasm, vorne.data (stages, pictures, effects, texts) and music/.
# build/web/headless/ holds the headless runner for node, and build/web/host/
# the desktop build whose generators make the pictures, sounds and texts.
include(ExternalProject)

set(VORNE_BIN_DIR ${CMAKE_BINARY_DIR})
set(VORNE_HOST_DIR ${CMAKE_BINARY_DIR}/host)
set(VORNE_HOST_BIN ${VORNE_HOST_DIR}/bin)

# Header-only libraries from the system, without the rest of /usr/include
# (whose headers are not the browser's).
set(vorne_system_headers ${CMAKE_BINARY_DIR}/system-headers)
file(MAKE_DIRECTORY ${vorne_system_headers})
foreach(header nlohmann stb)
  if(NOT EXISTS /usr/include/${header})
    message(FATAL_ERROR "/usr/include/${header} is missing: run tools/setup.sh --web")
  endif()
  file(CREATE_LINK /usr/include/${header} ${vorne_system_headers}/${header} SYMBOLIC)
endforeach()
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${vorne_system_headers})
add_library(vorne_stb INTERFACE IMPORTED GLOBAL)
target_include_directories(vorne_stb SYSTEM INTERFACE ${vorne_system_headers}/stb)

# The desktop build of the generators (and of the game, whose headless runner
# the web build's is compared with).
ExternalProject_Add(vorne_host
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${VORNE_HOST_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DVORNE_BUILD_TESTS=OFF -DVORNE_BUILD_EDITOR=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${VORNE_HOST_DIR} --target vorne1.0 vorne_assets vorne_icons
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  USES_TERMINAL_BUILD ON)

add_subdirectory(stagefile)
add_subdirectory(game)
target_compile_definitions(vorne_shell PRIVATE VORNE_VERSION="${PROJECT_VERSION}")

# The tests of the browser build: the same traces as the desktop build's, and
# the page in a real browser.
enable_testing()
add_test(NAME web_headless_same_as_desktop
         COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/web/compare_headless.py --web-build ${CMAKE_BINARY_DIR})
# The page in headless chromium (puppeteer-core from tests/web/node_modules:
# `cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci`), with the system's node
# and none of the build's NODE_PATH.
add_test(NAME web_browser
         COMMAND ${CMAKE_COMMAND} -E env --unset=NODE_PATH
                 /usr/bin/node ${CMAKE_SOURCE_DIR}/tests/web/browser_test.js --web-build ${CMAKE_BINARY_DIR})
set_tests_properties(web_browser PROPERTIES TIMEOUT 180)
