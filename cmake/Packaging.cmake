# `cpack` (see scripts/package) turns the install tree into a Debian package. The library
# dependencies come from dpkg-shlibdeps; what the binaries load only at run time is listed
# by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stowline)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Stowline developers")
set(CPACK_PACKAGE_CONTACT "The Stowline developers <packages@stowline.io>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "offload camera cards to several drives and verify every copy")
# Debian shows the long description as is, so its lines are broken here.
set(CPACK_PACKAGE_DESCRIPTION [=[
Stowline copies the files of camera cards, folders or single files to
several destination drives at once, reading each source once, and proves
every copy identical by an XXH64 checksum of the bytes read back from the
destination around the file cache. Every job leaves a Hash Log folder in
each destination with an MHL 1.1 hash list and a text report.

This package holds the desktop application (stowline) and the command
line tool (stowline-cli).]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://stowline.io/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The X11 platform plugin is loaded at run time, so dpkg-shlibdeps cannot see it; Wayland
# sessions fall back to it through XWayland when the Wayland plugin is missing.
if(TARGET stowline)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  # Qt's own Portuguese texts (file dialogs, standard buttons) are loaded from Qt's
  # translations folder; without them those parts stay English.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-translations-l10n")
endif()

include(CPack)
