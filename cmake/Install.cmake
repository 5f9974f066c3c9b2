# What `cmake --install` puts under the prefix: the two programs, the desktop
# entry, the record file type, the icon, the AppStream metainfo, the manual
# pages, the sample records and the copyright notes. Every destination is
# relative, so nothing lands outside the prefix.
include(GNUInstallDirs)

set(CORVALE_DATA_SOURCE_DIR "${PROJECT_SOURCE_DIR}/data")
set(CORVALE_DATA_BINARY_DIR "${PROJECT_BINARY_DIR}/data")
set(CORVALE_ICON_SIZES 16 22 24 32 48 64 128 256)

install(TARGETS corvale corvale-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES "${CORVALE_DATA_SOURCE_DIR}/corvale.desktop"
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications RENAME ${CORVALE_APP_ID}.desktop)
install(FILES "${CORVALE_DATA_SOURCE_DIR}/corvale-mime.xml"
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${CORVALE_APP_ID}.xml)

configure_file("${CORVALE_DATA_SOURCE_DIR}/corvale.metainfo.xml.in"
  "${CORVALE_DATA_BINARY_DIR}/${CORVALE_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${CORVALE_DATA_BINARY_DIR}/${CORVALE_APP_ID}.metainfo.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon: the drawn SVG, and PNG renderings of it for the fixed sizes.
find_program(CORVALE_RSVG_CONVERT rsvg-convert)
if(NOT CORVALE_RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert (Debian package librsvg2-bin) is needed to render the PNG icons; "
    "scripts/setup.sh installs it")
endif()
set(icon_svg "${CORVALE_DATA_SOURCE_DIR}/icons/corvale.svg")
install(FILES "${icon_svg}" DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
set(generated_data)
foreach(size IN LISTS CORVALE_ICON_SIZES)
  set(png "${CORVALE_DATA_BINARY_DIR}/icons/${size}x${size}/corvale.png")
  add_custom_command(OUTPUT "${png}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CORVALE_DATA_BINARY_DIR}/icons/${size}x${size}"
    COMMAND "${CORVALE_RSVG_CONVERT}" --width ${size} --height ${size} --output "${png}" "${icon_svg}"
    DEPENDS "${icon_svg}" VERBATIM)
  list(APPEND generated_data "${png}")
  install(FILES "${png}" DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages, compressed the way Debian keeps them (no name or time stamp in
# the gzip header, so the package is reproducible).
find_program(CORVALE_GZIP gzip REQUIRED)
foreach(page corvale corvale-tool)
  configure_file("${CORVALE_DATA_SOURCE_DIR}/man/${page}.1.in" "${CORVALE_DATA_BINARY_DIR}/man/${page}.1" @ONLY)
  set(gz "${CORVALE_DATA_BINARY_DIR}/man/${page}.1.gz")
  add_custom_command(OUTPUT "${gz}"
    COMMAND "${CORVALE_GZIP}" -9 -n -f -k "${CORVALE_DATA_BINARY_DIR}/man/${page}.1"
    DEPENDS "${CORVALE_DATA_BINARY_DIR}/man/${page}.1" VERBATIM)
  list(APPEND generated_data "${gz}")
  install(FILES "${gz}" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(corvale_data ALL DEPENDS ${generated_data})

# The sample records with their sources and licences beside them.
file(GLOB sample_records CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/samples/*.nrm" "${PROJECT_SOURCE_DIR}/samples/*.msd")
install(FILES ${sample_records} "${PROJECT_SOURCE_DIR}/samples/README.md"
  DESTINATION ${CMAKE_INSTALL_DATADIR}/corvale/samples)

# The licence text as a paragraph of a machine-readable copyright file:
# continuation lines start with a space, an empty line is " .".
string(STRIP "${CORVALE_LICENSE_TEXT}" CORVALE_LICENSE_PARAGRAPHS)
string(REGEX REPLACE "\n[ \t]*\n" "\n.\n" CORVALE_LICENSE_PARAGRAPHS "${CORVALE_LICENSE_PARAGRAPHS}")
string(REPLACE "\n" "\n " CORVALE_LICENSE_PARAGRAPHS "${CORVALE_LICENSE_PARAGRAPHS}")
configure_file("${CORVALE_DATA_SOURCE_DIR}/copyright.in" "${CORVALE_DATA_BINARY_DIR}/copyright" @ONLY)
install(FILES "${CORVALE_DATA_BINARY_DIR}/copyright" DESTINATION ${CMAKE_INSTALL_DOCDIR})
