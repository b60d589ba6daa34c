# The browser build (emcmake): the game as timburik.js and timburik.wasm, with the page's
# host, written into site/ beside the page that scripts/web.sh adds.
set(WEB_DIR ${CMAKE_SOURCE_DIR}/platform/web)
set(TIMBURIK_WEB_FONT /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf CACHE FILEPATH
    "The font the site ships (fonts-dejavu-core)")
# Keeps the functions' names in the program, for tools/web/size_profile.py to say where its
# bytes go; the names are not shipped otherwise.
option(TIMBURIK_WEB_PROFILE "Keep function names in timburik.wasm for a size profile" OFF)

add_library(platform_web STATIC
  ${WEB_DIR}/WebHost.cpp ${WEB_DIR}/WebFiles.cpp platform/sdl/SdlMediaHost.cpp platform/sdl/SdlFonts.cpp
  platform/sdl/SdlSound.cpp platform/sdl/SdlCapture.cpp)
target_link_libraries(platform_web PUBLIC platform PRIVATE font_lookup PkgConfig::SDL2 PkgConfig::SDL2_TTF)

# The functions ASYNCIFY may leave alone: all of the libraries' and the parts of the C++
# run-time that never wait (see tools/web/asyncify_remove.py), which makes the program a fifth
# smaller and the browser's work to compile it and run it less. minizip is among them because
# it is only ever given the game's memory functions, never a file name: its own file functions
# would open through the fopen that may wait for content.
set(WEB_LIBRARIES)
foreach(lib IN LISTS JPEG_LIBRARIES SDL2_LINK_LIBRARIES SDL2_TTF_LINK_LIBRARIES MINIZIP_LINK_LIBRARIES)
  if(lib MATCHES "\\.a$")
    list(APPEND WEB_LIBRARIES ${lib})
  endif()
endforeach()
list(REMOVE_DUPLICATES WEB_LIBRARIES)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ASYNCIFY_REMOVE_LIST ${CMAKE_BINARY_DIR}/asyncify-remove.txt)
add_custom_command(OUTPUT ${ASYNCIFY_REMOVE_LIST}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/web/asyncify_remove.py ${CMAKE_NM}
          ${ASYNCIFY_REMOVE_LIST} ${WEB_LIBRARIES}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/web/asyncify_remove.py ${WEB_LIBRARIES}
  COMMENT "Listing the functions that never wait")
add_custom_target(asyncify_remove_list DEPENDS ${ASYNCIFY_REMOVE_LIST})

add_executable(timburik_web screens/WebMain.cpp)
add_dependencies(timburik_web asyncify_remove_list)
target_link_libraries(timburik_web PRIVATE screens platform_web)
set_target_properties(timburik_web PROPERTIES OUTPUT_NAME timburik SUFFIX .js
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/site
  LINK_DEPENDS "${WEB_DIR}/WebHost.js;${WEB_DIR}/WebFiles.js;${WEB_DIR}/WebOffline.js;${WEB_DIR}/WebTurn.js;${WEB_DIR}/WebStart.js;${ASYNCIFY_REMOVE_LIST}"
  # The list names every function of the libraries; the link keeps only those the game calls
  # and would say so for each of the others.
  RULE_LAUNCH_LINK ${CMAKE_SOURCE_DIR}/tools/web/quiet-link.sh)
target_link_options(timburik_web PRIVATE
  # The loop waits for the browser inside the game's own calls (a message box's nested loop
  # included) rather than returning to it: ASYNCIFY, with the waits it may sleep in.
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  "-sASYNCIFY_IMPORTS=['web_wait','web_fetch_content','web_persist','web_take_turn']"
  "-sASYNCIFY_REMOVE=@${ASYNCIFY_REMOVE_LIST}"
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB -sENVIRONMENT=web -sEXIT_RUNTIME=0
  "-sEXPORTED_RUNTIME_METHODS=['FS','addRunDependency','removeRunDependency']"
  -lidbfs.js
  "SHELL:--js-library ${WEB_DIR}/WebHost.js" "SHELL:--js-library ${WEB_DIR}/WebFiles.js"
  # In this order: the start uses the other two.
  "SHELL:--pre-js ${WEB_DIR}/WebOffline.js" "SHELL:--pre-js ${WEB_DIR}/WebTurn.js" "SHELL:--pre-js ${WEB_DIR}/WebStart.js"
  # Content is fetched when first opened and progress written through to storage: see WebFiles.cpp.
  -Wl,--wrap=fopen -Wl,--wrap=open -Wl,--wrap=stat -Wl,--wrap=rename -Wl,--wrap=remove -Wl,--wrap=fsync
  "SHELL:--embed-file ${TIMBURIK_WEB_FONT}@/fonts/DejaVuSans-Bold.ttf")
# The JavaScript minified once more after each link (tools/web/minify.mjs): a quarter smaller.
find_program(NODE_EXECUTABLE node REQUIRED)
add_custom_command(TARGET timburik_web POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs ${NODE_EXECUTABLE}
          ${CMAKE_SOURCE_DIR}/tools/web/minify.mjs ${CMAKE_BINARY_DIR}/site/timburik.js
  VERBATIM)
if(TIMBURIK_WEB_PROFILE)
  target_link_options(timburik_web PRIVATE --profiling-funcs)
endif()
