# The Debian package: `cpack -G DEB` in a build folder configured for
# /usr (./scripts/package does both).

set(CPACK_PACKAGE_NAME tarvo)
set(CPACK_PACKAGE_VENDOR "The Tarvo developers")
set(CPACK_PACKAGE_CONTACT "The Tarvo developers <tarvo@users.noreply.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "auto-dialer that keeps a dial-up connection online")
set(CPACK_PACKAGE_DESCRIPTION
    "Tarvo dials a dial-up connection, types the stored user name and password\n"
    "into the dialer, retries, watches the line and dials again after a drop.\n"
    "It logs every session with its time and cost, warns on monthly limits,\n"
    "connects and disconnects at set times and lives in the notification area.\n"
    "It dials a stand-in machine built into it, or the machine's NetworkManager\n"
    "connections (mobile broadband, PPPoE, Bluetooth dial-up, VPN).")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program and its plug-in link come from dpkg-shlibdeps;
# what Qt loads at run time is named here: the X11 platform plug-in and the
# SVG image reader for the icons.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
# Dials real connections when machine.ini chooses it.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "network-manager")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
