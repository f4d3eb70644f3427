# The installed form (cmake --install, prefix /usr for the package): the
# programs in bin/, the read-only data in share/tarnwick/ (the same files the
# build lays into the portable folder), the udev rule, the desktop entry,
# icons, metainfo and the manual page; and the Debian package made of it.
set(TARNWICK_APP_ID org.tarnwick.Tarnwick)
set(TARNWICK_SHARE share/tarnwick)
set(PK ${CMAKE_SOURCE_DIR}/packaging)
set(GEN ${CMAKE_BINARY_DIR}/packaging)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

foreach(t tarnwick tarnwick-cli)
  if(TARGET ${t})
    install(TARGETS ${t} RUNTIME DESTINATION bin)
  endif()
endforeach()

# ---- data: mirrors resources/CMakeLists.txt's portable folder -------------
set(P ${TARNWICK_PORTABLE_DIR})
install(FILES ${P}/database.dat DESTINATION ${TARNWICK_SHARE})
# The virtual box's own boot table (read from here). The real box's table is
# not shipped: an upgrade of a real box waits for the user's boot-table.bin.
install(FILES ${P}/sim-boot-table.bin DESTINATION ${TARNWICK_SHARE})
install(DIRECTORY ${P}/lang ${P}/sound ${P}/CODE DESTINATION ${TARNWICK_SHARE})
# The manual with its pictures, and the services example.
install(FILES ${P}/Tarnwick.html ${P}/services.ini.example DESTINATION ${TARNWICK_SHARE} OPTIONAL)
if(TARNWICK_MANUAL_IMAGES)
  install(DIRECTORY ${P}/manual DESTINATION ${TARNWICK_SHARE})
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/resources/help)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/help/ DESTINATION ${TARNWICK_SHARE})
endif()
file(GLOB sim_boxes CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/sim/*.box)
install(FILES ${sim_boxes} DESTINATION ${TARNWICK_SHARE}/sim)

# Lets a normal user open the programmer box (udev rule for 0716:5018).
install(FILES ${PK}/udev/60-tarnwick.rules DESTINATION lib/udev/rules.d)

# ---- desktop integration --------------------------------------------------
configure_file(${PK}/desktop/${TARNWICK_APP_ID}.metainfo.xml.in
               ${GEN}/${TARNWICK_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PK}/desktop/${TARNWICK_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${GEN}/${TARNWICK_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${PK}/desktop/tarnwick.svg DESTINATION share/icons/hicolor/scalable/apps)
find_program(RSVG_CONVERT rsvg-convert)
set(generated "")
if(RSVG_CONVERT)
  foreach(size 48 256)
    set(png ${GEN}/icons/${size}/tarnwick.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${GEN}/icons/${size}
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${PK}/desktop/tarnwick.svg
      DEPENDS ${PK}/desktop/tarnwick.svg VERBATIM)
    list(APPEND generated ${png})
    install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
  endforeach()
else()
  message(STATUS "rsvg-convert not found: the package carries the scalable icon only")
endif()

# ---- the manual page, made by the program from its command table ----------
if(TARGET tarnwick-cli)
  set(man ${CMAKE_BINARY_DIR}/tarnwick-cli.1)
  add_custom_command(OUTPUT ${man} ${man}.gz
    COMMAND sh -c "\"$<TARGET_FILE:tarnwick-cli>\" --man > \"${man}\""
    COMMAND sh -c "gzip -9n < \"${man}\" > \"${man}.gz\""
    DEPENDS tarnwick-cli VERBATIM)
  list(APPEND generated ${man} ${man}.gz)
  install(FILES ${man}.gz DESTINATION share/man/man1)
endif()

# ---- the bash completion, made by the program from its command table ------
if(TARGET tarnwick-cli)
  set(completion ${CMAKE_BINARY_DIR}/tarnwick-cli.bash-completion)
  add_custom_command(OUTPUT ${completion}
    COMMAND sh -c "\"$<TARGET_FILE:tarnwick-cli>\" completion bash > \"${completion}\""
    DEPENDS tarnwick-cli VERBATIM)
  list(APPEND generated ${completion})
  install(FILES ${completion} DESTINATION share/bash-completion/completions
    RENAME tarnwick-cli)
endif()

if(TARGET tarnwick)
  set(man ${CMAKE_BINARY_DIR}/tarnwick.1)
  add_custom_command(OUTPUT ${man} ${man}.gz
    COMMAND sh ${PK}/man_from_usage.sh $<TARGET_FILE:tarnwick> ${PROJECT_VERSION} ${man}
    DEPENDS tarnwick ${PK}/man_from_usage.sh VERBATIM)
  list(APPEND generated ${man} ${man}.gz)
  install(FILES ${man}.gz DESTINATION share/man/man1)
endif()

# ---- Debian documentation -------------------------------------------------
configure_file(${PK}/debian/changelog.in ${GEN}/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${GEN}/changelog.Debian.gz
  COMMAND sh -c "gzip -9n < \"${GEN}/changelog.Debian\" > \"${GEN}/changelog.Debian.gz\""
  DEPENDS ${GEN}/changelog.Debian VERBATIM)
list(APPEND generated ${GEN}/changelog.Debian.gz)
install(FILES ${PK}/debian/copyright ${GEN}/changelog.Debian.gz DESTINATION share/doc/tarnwick)
# The virtual box's description format, beside the package's other documents.
install(FILES ${CMAKE_SOURCE_DIR}/docs/virtual-box.md DESTINATION share/doc/tarnwick)
add_custom_target(install_data ALL DEPENDS ${generated})

# ---- CPack: the .deb -------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tarnwick developers <dev@tarnwick.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program for a USB serial memory chip programmer")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The synopsis line comes from the summary above.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tarnwick drives the USB programmer box for serial memory chips (SPI\n"
    "flash, I2C and Microwire EEPROMs): it identifies the chip in the socket,\n"
    "reads, programs, verifies and erases it, and edits its content in a hex\n"
    "view. tarnwick-cli runs the same operations from a shell, and a virtual\n"
    "box (--simulate) lets both run without the hardware.")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as plugins, so the libraries' own dependencies do not name them: the
# SVG icons' image format.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# Chinese texts need a CJK font, Qt's own dialogs their translation, and the
# manual, the log and the links an opener.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-noto-cjk | fonts-wqy-microhei, qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PK}/debian/postinst ${PK}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
