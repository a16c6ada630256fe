# The web app: the Qt-free core compiled to WebAssembly with emscripten, the binding and the
# page of src/web, and the core's tests that matter for it, run under node.
if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE Release)
endif()
# -O2 links about three times faster than -O3 and gives a smaller module.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")
# The core may throw (std::bad_alloc and the like): the binding catches what arrives.
add_compile_options(-fexceptions)
add_link_options(-fexceptions -sALLOW_MEMORY_GROWTH=1)

add_subdirectory(src/platform)
add_subdirectory(src/network)
add_subdirectory(src/timetable)
add_subdirectory(src/settings)
add_subdirectory(src/search)
add_subdirectory(src/screens)
add_subdirectory(src/web)

if(VELOMAR_BUILD_TESTS)
    enable_testing()
    # Single-threaded, as the page is.
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    include(cmake/googletest-from-source.cmake)
    add_subdirectory(tests/web)
endif()
