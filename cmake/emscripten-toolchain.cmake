# Toolchain of the wasm preset: emscripten as Debian installs it (apt-get install emscripten),
# found through em++ on the PATH, whatever folder the distribution put it in.
find_program(QVMIN_EMXX em++ REQUIRED)
get_filename_component(QVMIN_EMXX_REAL "${QVMIN_EMXX}" REALPATH)
get_filename_component(QVMIN_EMSCRIPTEN_ROOT "${QVMIN_EMXX_REAL}" DIRECTORY)
if(NOT EXISTS "${QVMIN_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")
  message(FATAL_ERROR "em++ at ${QVMIN_EMXX} does not lead to an emscripten installation")
endif()
include("${QVMIN_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")

# Linking runs emscripten's JavaScript optimizer, which needs acorn. Debian installs it where
# Debian's node looks (/usr/share/nodejs) but another node on the PATH does not.
if(EXISTS /usr/share/nodejs/acorn)
  set(CMAKE_CXX_LINKER_LAUNCHER "${CMAKE_COMMAND};-E;env;NODE_PATH=/usr/share/nodejs")
endif()
