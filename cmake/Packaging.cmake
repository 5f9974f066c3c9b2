# The Debian package, built by `cpack -G DEB` from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The CORVALE developers")
set(CPACK_PACKAGE_CONTACT "The CORVALE developers <${CORVALE_CONTACT_EMAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for resting 12-lead ECG records")
set(CPACK_PACKAGE_DESCRIPTION
  "CORVALE shows resting 12-lead electrocardiogram records (.nrm and .msd files of
120424 bytes: a header with the patient's data and automatic measurements, then
ten seconds of twelve leads at 500 Hz) on ECG paper at 25 mm/s and 10 mm/mV,
measures intervals with mouse calipers and prints a record at true scale.

corvale-tool reads, imports (from WFDB), renders and prints records from the
command line. Sample records converted from public recordings are included.")
set(CPACK_RESOURCE_FILE_LICENSE "${CORVALE_LICENSE_FILE}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# An absolute destination would install outside the prefix: refuse it.
set(CPACK_ERROR_ON_ABSOLUTE_INSTALL_DESTINATION ON)

set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the binaries do not show: the fonts that stand in for the design's faces.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")

set(CORVALE_PACKAGE_DATADIR "${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}")
foreach(script postinst postrm)
  configure_file("${CMAKE_CURRENT_LIST_DIR}/debian/${script}.in" "${PROJECT_BINARY_DIR}/debian/${script}" @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_BINARY_DIR}/debian/postinst;${PROJECT_BINARY_DIR}/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
