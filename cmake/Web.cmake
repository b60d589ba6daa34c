# The browser build (emcmake): the game as timburik.js and timburik.wasm, with the page's
# host, written into site/ beside the page that scripts/web.sh adds.
set(WEB_DIR ${CMAKE_SOURCE_DIR}/platform/web)
set(TIMBURIK_WEB_FONT /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf CACHE FILEPATH
    "The font the site ships (fonts-dejavu-core)")

add_library(platform_web STATIC
  ${WEB_DIR}/WebHost.cpp ${WEB_DIR}/WebFiles.cpp platform/sdl/SdlFonts.cpp platform/sdl/SdlSound.cpp)
target_link_libraries(platform_web PUBLIC platform PRIVATE font_lookup PkgConfig::SDL2 PkgConfig::SDL2_TTF)

add_executable(timburik_web screens/WebMain.cpp)
target_link_libraries(timburik_web PRIVATE screens platform_web)
set_target_properties(timburik_web PROPERTIES OUTPUT_NAME timburik SUFFIX .js
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/site
  LINK_DEPENDS "${WEB_DIR}/WebHost.js;${WEB_DIR}/WebFiles.js;${WEB_DIR}/WebStart.js")
target_link_options(timburik_web PRIVATE
  # The loop waits for the browser inside the game's own calls (a message box's nested loop
  # included) rather than returning to it: ASYNCIFY, with the waits it may sleep in.
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  "-sASYNCIFY_IMPORTS=['web_wait','web_fetch_content','web_persist']"
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB -sENVIRONMENT=web -sEXIT_RUNTIME=0
  "-sEXPORTED_RUNTIME_METHODS=['FS','addRunDependency','removeRunDependency']"
  -lidbfs.js
  "SHELL:--js-library ${WEB_DIR}/WebHost.js" "SHELL:--js-library ${WEB_DIR}/WebFiles.js"
  "SHELL:--pre-js ${WEB_DIR}/WebStart.js"
  # Content is fetched when first opened and progress written through to storage: see WebFiles.cpp.
  -Wl,--wrap=fopen -Wl,--wrap=open -Wl,--wrap=rename -Wl,--wrap=fsync
  "SHELL:--embed-file ${TIMBURIK_WEB_FONT}@/fonts/DejaVuSans-Bold.ttf")
