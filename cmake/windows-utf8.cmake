# velomar_utf8_arguments(target): on Windows, main() receives its arguments in the ANSI code
# page, which turns Korean text into '?'. A manifest makes that code page UTF-8, as the
# arguments are everywhere else. Does nothing on other systems.
function(velomar_utf8_arguments target)
    if(WIN32)
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/windows/utf8.rc)
    endif()
endfunction()
