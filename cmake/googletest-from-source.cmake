# There is no prebuilt GoogleTest for mingw: build the sources Debian's googletest package
# installs, offline, into the cross build. Provides GTest::gtest and GTest::gtest_main.
set(VELOMAR_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${VELOMAR_GOOGLETEST_SOURCE}/googletest/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${VELOMAR_GOOGLETEST_SOURCE} "
                        "(install Debian's googletest package)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${VELOMAR_GOOGLETEST_SOURCE}/googletest ${CMAKE_BINARY_DIR}/googletest
                 EXCLUDE_FROM_ALL SYSTEM)
