# Install rules: the programs, the sample timetables, and what a desktop expects of an
# application: a menu entry, an icon, AppStream metadata, manual pages and completion.
# Sources are in dist/; what is made from them goes to dist/ in the build tree.

# Stated, so that the umask of whoever builds the package does not decide them.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The release's date, also in dist/example.velomar.Velomar.metainfo.xml and dist/debian/changelog.
set(VELOMAR_RELEASE_DATE 2026-12-08)
set(VELOMAR_APP_ID example.velomar.Velomar)

install(TARGETS velomar-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The zip reader of import-gtfs: velomar-cli looks for it in ../libexec/velomar.
if(TARGET velomar-unzip)
    install(TARGETS velomar-unzip RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/velomar)
endif()
# The executables find them at share/velomar relative to their own bin folder.
install(DIRECTORY data/TimeData DESTINATION ${CMAKE_INSTALL_DATADIR}/velomar
        FILES_MATCHING PATTERN "*.txt")
if(WIN32)
    return()
endif()

set(velomar_dist ${PROJECT_SOURCE_DIR}/dist)
set(velomar_made ${PROJECT_BINARY_DIR}/dist)
find_program(VELOMAR_GZIP gzip REQUIRED)
set(velomar_made_files)

# Manual pages and the changelog are installed compressed, as Debian wants them; -n keeps
# the name and time out of the archive, so rebuilds give the same bytes.
function(velomar_compressed source name)
    configure_file(${source} ${velomar_made}/${name} @ONLY)
    add_custom_command(OUTPUT ${velomar_made}/${name}.gz
        COMMAND ${VELOMAR_GZIP} -9nkf ${velomar_made}/${name}
        DEPENDS ${velomar_made}/${name} ${source}
        VERBATIM)
    list(APPEND velomar_made_files ${velomar_made}/${name}.gz)
    set(velomar_made_files ${velomar_made_files} PARENT_SCOPE)
endfunction()

velomar_compressed(${velomar_dist}/man/velomar-cli.1.in velomar-cli.1)
velomar_compressed(${velomar_dist}/debian/changelog changelog)
install(FILES ${velomar_made}/velomar-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${velomar_made}/changelog.gz ${velomar_dist}/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${velomar_dist}/completion/velomar-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

if(TARGET velomar)
    install(TARGETS velomar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    velomar_compressed(${velomar_dist}/man/velomar.1.in velomar.1)
    install(FILES ${velomar_made}/velomar.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${velomar_dist}/${VELOMAR_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${velomar_dist}/${VELOMAR_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    set(velomar_icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
    install(FILES ${velomar_dist}/icons/velomar.svg DESTINATION ${velomar_icons}/scalable/apps)
    # The bitmaps are drawn from the SVG at build time, so the two cannot drift apart.
    find_program(VELOMAR_RSVG_CONVERT rsvg-convert)
    if(VELOMAR_RSVG_CONVERT)
        foreach(size 16 22 24 32 48 64 128 256)
            set(png ${velomar_made}/icons/${size}x${size}/velomar.png)
            add_custom_command(OUTPUT ${png}
                COMMAND ${CMAKE_COMMAND} -E make_directory ${velomar_made}/icons/${size}x${size}
                COMMAND ${VELOMAR_RSVG_CONVERT} -w ${size} -h ${size}
                        ${velomar_dist}/icons/velomar.svg -o ${png}
                DEPENDS ${velomar_dist}/icons/velomar.svg
                VERBATIM)
            list(APPEND velomar_made_files ${png})
            install(FILES ${png} DESTINATION ${velomar_icons}/${size}x${size}/apps)
        endforeach()
    else()
        message(WARNING "rsvg-convert not found (Debian: librsvg2-bin): only the SVG icon is "
                        "installed")
    endif()
endif()

add_custom_target(velomar_dist ALL DEPENDS ${velomar_made_files})
