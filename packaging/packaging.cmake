# What an installation holds and the package made from it: on Windows a zip of
# Tickora.exe, its Skins folder and a README; on Linux the clock, its skins,
# menu entry, icons, AppStream metainfo, message catalogues and manual page, as
# a Debian package.
set(TICKORA_APP_ID com.velmarck.tickora)
set(TICKORA_HOMEPAGE "https://velmarck.example/tickora" CACHE STRING
    "Where the project's pages and screenshot are published")
set(packaging ${CMAKE_SOURCE_DIR}/packaging)

set(CPACK_PACKAGE_NAME Tickora)
set(CPACK_PACKAGE_VENDOR Velmarck)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "skinnable analog desktop clock")
set(CPACK_PACKAGE_HOMEPAGE_URL ${TICKORA_HOMEPAGE})

if(TICKORA_WINDOWS)
  install(TARGETS Tickora RUNTIME DESTINATION .)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/skins/ DESTINATION Skins)
  # Notepad-friendly line ends.
  configure_file(${packaging}/windows/README.txt ${CMAKE_BINARY_DIR}/README.txt @ONLY
                 NEWLINE_STYLE WIN32)
  install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
    set(TICKORA_ZIP_NAME Tickora-${PROJECT_VERSION}-win32)
  else()
    set(TICKORA_ZIP_NAME Tickora-${PROJECT_VERSION}-win64)
  endif()
  set(CPACK_PACKAGE_FILE_NAME ${TICKORA_ZIP_NAME})
else()
  include(GNUInstallDirs)
  install(TARGETS tickora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/skins/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tickora/skins)
  # The menu entry and the metainfo carry the translations of every catalogue
  # (po/LINGUAS); the catalogues go to the locale folders, where the installed
  # clock finds them (../share/locale from its own folder).
  find_program(MSGFMT msgfmt REQUIRED)
  set(po_files)
  foreach(language ${TICKORA_LANGUAGES})
    list(APPEND po_files ${CMAKE_SOURCE_DIR}/po/${language}.po)
    install(FILES ${TICKORA_LOCALE_BUILD_DIR}/${language}/LC_MESSAGES/tickora.mo
            DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${language}/LC_MESSAGES)
  endforeach()
  set(desktop_entry ${CMAKE_BINARY_DIR}/${TICKORA_APP_ID}.desktop)
  add_custom_command(OUTPUT ${desktop_entry}
    COMMAND ${MSGFMT} --desktop --template=${packaging}/linux/${TICKORA_APP_ID}.desktop.in
            -d ${CMAKE_SOURCE_DIR}/po --output-file=${desktop_entry}
    DEPENDS ${packaging}/linux/${TICKORA_APP_ID}.desktop.in ${po_files} ${CMAKE_SOURCE_DIR}/po/LINGUAS
    VERBATIM)
  configure_file(${packaging}/linux/${TICKORA_APP_ID}.metainfo.xml.in
                 ${CMAKE_BINARY_DIR}/${TICKORA_APP_ID}.metainfo.xml.in @ONLY)
  set(metainfo ${CMAKE_BINARY_DIR}/${TICKORA_APP_ID}.metainfo.xml)
  add_custom_command(OUTPUT ${metainfo}
    COMMAND ${MSGFMT} --xml --template=${CMAKE_BINARY_DIR}/${TICKORA_APP_ID}.metainfo.xml.in
            -d ${CMAKE_SOURCE_DIR}/po --output-file=${metainfo}
    DEPENDS ${CMAKE_BINARY_DIR}/${TICKORA_APP_ID}.metainfo.xml.in ${po_files}
            ${CMAKE_SOURCE_DIR}/po/LINGUAS
    VERBATIM)
  add_custom_target(tickora_menu_entry ALL DEPENDS ${desktop_entry} ${metainfo})
  install(FILES ${desktop_entry} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${packaging}/linux/icons/${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${TICKORA_APP_ID}.png)
  endforeach()
  install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # Manual pages are installed compressed; -n keeps the archive free of dates.
  set(manual ${CMAKE_BINARY_DIR}/tickora.1.gz)
  add_custom_command(OUTPUT ${manual}
                     COMMAND gzip -9nc ${packaging}/linux/tickora.1 > ${manual}
                     DEPENDS ${packaging}/linux/tickora.1 VERBATIM)
  add_custom_target(tickora_manual ALL DEPENDS ${manual})
  install(FILES ${manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_NAME tickora)
  set(CPACK_DEBIAN_PACKAGE_SECTION x11)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Velmarck <tickora@velmarck.example>")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "One borderless, translucent clock window drawn from PNG skins, with hour,\nminute and second hands and a glass overlay. Drag it anywhere; size,\ntransparency, skin and the other settings are in its right-click menu.")
  # The libraries the clock links, as dpkg-shlibdeps finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)

# The packages, checked as a user gets them.
if(TICKORA_WINDOWS AND CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
  add_test(NAME Packages.WindowsZipHoldsTheProgramSkinsAndReadme
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/check_zip.sh ${CMAKE_BINARY_DIR}
                   ${CMAKE_SOURCE_DIR} ${TICKORA_ZIP_NAME})
endif()
if(NOT TICKORA_WINDOWS AND TICKORA_TESTS)
  add_test(NAME Packages.DebianPackageInstallsAndItsClockFindsTheSkins
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/check_deb.sh ${CMAKE_SOURCE_DIR})
  set_tests_properties(Packages.DebianPackageInstallsAndItsClockFindsTheSkins PROPERTIES
                       TIMEOUT 900)
endif()
