# The developer builds that `make test` makes twice: the heavy headers (Google Test, Qt)
# parsed once per target instead of once per file, and lld, which links the test programs
# with their debug information several times faster than the default linker. Off by default:
# a consumer's or packager's build stays as plain as the toolchain makes it.
option(VELOMAR_FAST_BUILD "Precompiled headers and lld for the developer builds" OFF)

if(VELOMAR_FAST_BUILD)
    find_program(VELOMAR_LLD ld.lld)
    if(VELOMAR_LLD)
        add_link_options(-fuse-ld=lld)
    endif()
endif()

# Each test program is one CTest test (label "program") that runs all its cases in one
# process: starting a process a case costs more than most cases do (the sanitizer build's
# tests took 281 s case by case and 125-139 s program by program; the default build's 91 s
# and 77 s). Unless VELOMAR_TEST_PER_PROGRAM is on, every case is listed as well (label
# "case"), so `ctest --preset default -R CASE` runs one; that preset leaves the programs out,
# and `make test` runs them instead of the cases (test preset "default-programs").
option(VELOMAR_TEST_PER_PROGRAM "Only one CTest test per test program, no case listed" OFF)

function(velomar_add_test_runs target environment)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES ENVIRONMENT "${environment}" LABELS program)
    if(NOT VELOMAR_TEST_PER_PROGRAM)
        gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60
            PROPERTIES LABELS case ENVIRONMENT "${environment}")
    endif()
endfunction()

# Headers that nearly every test file includes, compiled once for all of them.
function(velomar_test_precompiled_headers)
    if(NOT VELOMAR_FAST_BUILD)
        return()
    endif()
    add_library(velomar_test_pch OBJECT ${PROJECT_SOURCE_DIR}/tests/support/pch_anchor.cpp)
    target_link_libraries(velomar_test_pch PRIVATE GTest::gtest velomar_warnings)
    target_precompile_headers(velomar_test_pch PRIVATE
        <gtest/gtest.h> <algorithm> <filesystem> <fstream> <functional> <map> <memory>
        <optional> <set> <sstream> <string> <string_view> <vector>)
endfunction()

# A test program takes the shared headers above; the Qt ones take their library's.
function(velomar_use_precompiled_headers target from)
    if(VELOMAR_FAST_BUILD)
        target_precompile_headers(${target} REUSE_FROM ${from})
    endif()
endfunction()

# A library's or test program's files compiled eight at a time as one, so the headers and
# templates they share are parsed and instantiated once per group instead of once per file:
# in the developer builds and the web build (em++ at -O2 is the slowest compiler of `make
# test`). The release, package and CI builds compile file by file, so a missing include shows.
function(velomar_unity_build target)
    if(VELOMAR_FAST_BUILD OR EMSCRIPTEN)
        set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
    endif()
endfunction()
