# Browser build: the program on the simulated desktop, compiled to WebAssembly, with the host
# that gives the desktop the page's clock, screen, speaker and input. The page itself is web/;
# build/web/index.html is the one self-contained file a player opens.
include(cmake/sim.cmake)

set(SHINKEI_WEB_GEN ${CMAKE_SOURCE_DIR}/build/web-gen)
set(SHINKEI_WEB_OUT ${CMAKE_SOURCE_DIR}/build/web)

add_executable(shinkei_web tools/web/main.cpp src/framework/web/host.cpp src/framework/web/json.cpp)
# The transcript and JSON quoting are the simulator's.
target_include_directories(shinkei_web PRIVATE tools/sim)
target_link_libraries(shinkei_web PRIVATE shinkei_program)
set_target_properties(shinkei_web PROPERTIES OUTPUT_NAME shinkei SUFFIX .js
  RUNTIME_OUTPUT_DIRECTORY ${SHINKEI_WEB_GEN})
# Asyncify lets a box wait for the player inside the program's nested message loops without
# blocking the page. The wasm travels in the page as base64 text beside the script (bundle.py),
# not inside it: the browser then never parses it as JavaScript, and the page opens from file://.
target_link_options(shinkei_web PRIVATE
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sENVIRONMENT=web
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=16777216 -sTOTAL_STACK=1048576
  -sEXIT_RUNTIME=0 -sEXPORTED_RUNTIME_METHODS=[callMain]
  -sDYNAMIC_EXECUTION=0)

# The page's side of the seam with the host, written from its declaration.
add_custom_command(OUTPUT ${SHINKEI_WEB_GEN}/seam.js
  COMMAND node ${CMAKE_SOURCE_DIR}/tools/web/seam.mjs ${CMAKE_SOURCE_DIR}/src/framework/web/seam.h
          ${SHINKEI_WEB_GEN}/seam.js
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/web/seam.mjs ${CMAKE_SOURCE_DIR}/src/framework/web/seam.h
  COMMENT "Writing the page's side of the seam" VERBATIM)

# The rooms' NATS client and QR codes, from the pinned npm packages, as one script the page
# keeps as text and runs only when it joins a room.
add_custom_command(OUTPUT ${SHINKEI_WEB_GEN}/room-lib.js
  COMMAND ${CMAKE_SOURCE_DIR}/node_modules/.bin/esbuild ${CMAKE_SOURCE_DIR}/tools/web/room-lib.mjs
          --bundle --format=iife --global-name=ShinkeiRoomLib --minify --target=es2020
          --legal-comments=none --log-level=warning --outfile=${SHINKEI_WEB_GEN}/room-lib.js
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/web/room-lib.mjs ${CMAKE_SOURCE_DIR}/package-lock.json
  COMMENT "Bundling the rooms' client" VERBATIM)

# Fonts, sounds, music, images and icons, made from the sources for the page.
file(GLOB WEB_ASSET_SOURCES CONFIGURE_DEPENDS res/*.bmp res/*.ico res/sounds/*
  web/*.js web/*.html)
add_custom_command(OUTPUT ${SHINKEI_WEB_GEN}/assets.js ${SHINKEI_WEB_GEN}/music.txt
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/web-assets ${SHINKEI_WEB_GEN}
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/web-assets ${WEB_ASSET_SOURCES} ${CMAKE_SOURCE_DIR}/res/shinkei.rc
  COMMENT "Making the page's fonts, sounds, images and icons" VERBATIM)

file(GLOB WEB_PAGE_SOURCES CONFIGURE_DEPENDS web/*)
add_custom_command(OUTPUT ${SHINKEI_WEB_OUT}/index.html
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/web/bundle.py ${CMAKE_SOURCE_DIR}/web ${SHINKEI_WEB_GEN}
          ${SHINKEI_WEB_OUT}/index.html
  DEPENDS shinkei_web ${SHINKEI_WEB_GEN}/assets.js ${SHINKEI_WEB_GEN}/seam.js
          ${SHINKEI_WEB_GEN}/room-lib.js ${WEB_PAGE_SOURCES}
          ${CMAKE_SOURCE_DIR}/tools/web/bundle.py
  COMMENT "Bundling build/web/index.html" VERBATIM)
add_custom_target(web_page ALL DEPENDS ${SHINKEI_WEB_OUT}/index.html)
