# The Debian package: `make package` (cpack in the build folder) writes
# korvex-thornet-2-tray_<version>_<arch>.deb. It holds what the install rules install and
# nothing else: no rule installs a test, a benchmark or a third-party file.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvex-thornet-2-tray)
set(CPACK_PACKAGE_VENDOR "Qelvane Limited")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "notification-area companion of the ${VX_PRODUCT_NAME} security suite")
# The extended description; CPack puts the summary before it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "${VX_APPLICATION_TITLE} shows each change the suite's system monitor reports
in a dialog and sends the user's verdict back to the monitor, checks the
suite's five local services and shows their state in a status window and
the tray tooltip, and switches Live Protection off and on.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Qelvane Limited <linux-support@qelvane.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The programs without their symbol tables, as Debian ships them.
set(CPACK_STRIP_FILES ON)
# Depends: the libraries' packages, from the binaries (dpkg-shlibdeps). Qt's GUI library brings
# the X11 platform plugin; Wayland's is a package of its own.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
# Installed with CMAKE_INSTALL_PREFIX=/usr below DESTDIR, as a system installation is, so that
# the autostart entry lands in /etc (packaging/CMakeLists.txt).
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The autostart entry is configuration: an upgrade keeps the administrator's changes to it.
file(WRITE ${CMAKE_BINARY_DIR}/package/conffiles "/etc/xdg/autostart/${VX_DESKTOP_ID}.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/package/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
