# The web build: Debian's emscripten compiles the Qt-free core to WebAssembly; node runs the
# tests. `make web` uses it: cmake -S . -B build/wasm --toolchain cmake/emscripten.cmake
set(VELOMAR_EMSCRIPTEN_ROOT /usr/share/emscripten CACHE PATH "Emscripten's installed files")
find_program(VELOMAR_NODE NAMES node nodejs REQUIRED)
# Without it node 18 and later give emscripten's loader their own fetch, which cannot read
# local files.
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELOMAR_NODE} --no-experimental-fetch)
include(${VELOMAR_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

# The linker's JavaScript optimiser needs Debian's node modules (acorn), which a node that
# is not Debian's does not look for by itself.
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
