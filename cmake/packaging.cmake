# The Debian package (`make package`): velomar_VERSION_ARCH.deb from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velomar)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Velomar developers <help@velomar.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "offline timetable of the Korean railways")
# Lines of at most 80 characters, as Debian wants them.
set(CPACK_PACKAGE_DESCRIPTION
    "Velomar finds the trains of a chosen type that leave one station at or after
a chosen time and also stop at another, and shows the times at every station
in between, without a network. The application shows a handheld's Korean
screens on the desktop; velomar-cli runs the same search on the command line.
The sample timetables are synthetic, not a real schedule; timetables of your
own go into ~/.local/share/velomar/TimeData.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://velomar.example/)
# Libraries come from dpkg-shlibdeps; the Korean font is no library and must be named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-nanum)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
