# SPDX-License-Identifier: LicenseRef-Tankedosan
# Installing and packaging. An installed copy is recognised by its samples in ../share/tankedosan beside its
# bin folder (it then keeps the collections in each user's own data folder), so these two folders are fixed.
install(TARGETS tankedosan RUNTIME DESTINATION bin)
# The window's library is private to the program: in a folder of its own, where bin/tankedosan looks for it.
# One level below lib/tankedosan, for CPack would otherwise have the package run ldconfig, which a library
# that no other program links does not need (lintian: maintscript-calls-ldconfig).
install(TARGETS tankedosan_window LIBRARY DESTINATION lib/tankedosan/window
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(TARGETS tankedosan_dbus LIBRARY DESTINATION lib/tankedosan/dbus
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
# A stripped install (the package) also drops the compiler's notes, as Debian's dh_strip does.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/tankedosan\"
                          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/tankedosan/window/libtankedosan-window.so\"
                          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/tankedosan/dbus/libtankedosan-dbus.so\")
endif()")
install(FILES ${PROJECT_SOURCE_DIR}/data/Citat.dat ${PROJECT_SOURCE_DIR}/data/Djur.dat
              ${PROJECT_SOURCE_DIR}/data/help.txt ${PROJECT_SOURCE_DIR}/data/help-shipped.sha256
        DESTINATION share/tankedosan)
# The desktop entry and the AppStream record share the application's id (reverse host name of its home page),
# which software centres use to find one from the other.
set(TANKEDOSAN_APP_ID org.example.tankedosan)
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/${TANKEDOSAN_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/${TANKEDOSAN_APP_ID}.metainfo.xml DESTINATION share/metainfo)
# The desktop's search: GNOME Shell reads the provider's file, KRunner its plugin's, and D-Bus starts the
# service named in both on the first search, by the installed program's full path.
# The prefix is the one installed to, known only when installing (the package's is /usr).
install(CODE "file(READ \"${PROJECT_SOURCE_DIR}/data/desktop/${TANKEDOSAN_APP_ID}.SearchProvider.service.in\" _service)
string(REPLACE \"@TANKEDOSAN_BIN@\" \"\${CMAKE_INSTALL_PREFIX}/bin/tankedosan\" _service \"\${_service}\")
file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/dbus-1/services/${TANKEDOSAN_APP_ID}.SearchProvider.service\"
     \"\${_service}\")")
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/${TANKEDOSAN_APP_ID}.search-provider.ini
        DESTINATION share/gnome-shell/search-providers)
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/${TANKEDOSAN_APP_ID}.krunner.desktop
        DESTINATION share/krunner/dbusplugins RENAME ${TANKEDOSAN_APP_ID}.desktop)
# The proverb of the day at login is the user's choice: an autostart entry to copy to ~/.config/autostart, never
# one in the system-wide autostart folder, which would start it for every user of the machine.
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/tankedosan-dagens.desktop DESTINATION share/doc/tankedosan/examples)

# Every help text that a version shipped is listed, so that a later version recognises an unedited copy in a
# user's folder and brings it up to date: the current one must be there before it ships.
file(SHA256 ${PROJECT_SOURCE_DIR}/data/help.txt _help_sum)
file(READ ${PROJECT_SOURCE_DIR}/data/help-shipped.sha256 _help_sums)
string(FIND "${_help_sums}" "${_help_sum}" _help_listed)
if(_help_listed EQUAL -1)
  message(FATAL_ERROR "data/help.txt changed: add its SHA-256 sum to data/help-shipped.sha256 "
                      "(cd data && sha256sum help.txt >> help-shipped.sha256)")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/data/help.txt ${PROJECT_SOURCE_DIR}/data/help-shipped.sha256)

# Documentation as Debian lays it out: manual pages (Swedish, and English as the default language) and the
# changelogs compressed with gzip -9n (no name or time stamp inside, so that builds are reproducible), the
# machine-readable copyright file, the lintian overrides, and the screenshot the AppStream record points to.
set(_doc ${PROJECT_BINARY_DIR}/doc)
set(_compressed)
foreach(pair "man/sv/tankedosan.1|man-sv/tankedosan.1.gz" "man/en/tankedosan.1|man-en/tankedosan.1.gz"
             "data/package/changelog.Debian|changelog.Debian.gz" "data/package/changelog|changelog.gz")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 _from)
  list(GET pair 1 _to)
  get_filename_component(_dir ${_doc}/${_to} DIRECTORY)
  add_custom_command(
    OUTPUT ${_doc}/${_to}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_dir}
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/${_from} > ${_doc}/${_to}
    DEPENDS ${PROJECT_SOURCE_DIR}/${_from}
    COMMENT "Compressing ${_from}")
  list(APPEND _compressed ${_doc}/${_to})
endforeach()
add_custom_target(tankedosan_docs ALL DEPENDS ${_compressed})
install(FILES ${_doc}/man-sv/tankedosan.1.gz DESTINATION share/man/sv/man1)
install(FILES ${_doc}/man-en/tankedosan.1.gz DESTINATION share/man/man1)
install(FILES ${_doc}/changelog.Debian.gz ${_doc}/changelog.gz ${PROJECT_SOURCE_DIR}/data/package/copyright
              ${PROJECT_SOURCE_DIR}/data/screenshots/huvudfonstret.png
        DESTINATION share/doc/tankedosan)
install(FILES ${PROJECT_SOURCE_DIR}/data/package/lintian-overrides DESTINATION share/lintian/overrides
        RENAME tankedosan)
# Completion of the terminal's options (and of the collections after --samling), loaded by bash-completion.
install(FILES ${PROJECT_SOURCE_DIR}/data/completion/tankedosan DESTINATION share/bash-completion/completions)

# The icon: the drawing itself, and pictures of it for the sizes desktops ask for, rendered at build time.
set(_icon_svg ${PROJECT_SOURCE_DIR}/data/desktop/tankedosan.svg)
install(FILES ${_icon_svg} DESTINATION share/icons/hicolor/scalable/apps)
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert (Debian package librsvg2-bin) renders the icons: run scripts/deps.sh's "
                      "packages in, e.g. through scripts/test.sh")
endif()
set(_icon_pngs)
foreach(size 16 32 48 128 256)
  # At 16 pixels the large drawing's thin lines and small parts blur: that size has a drawing of its own.
  set(_svg ${_icon_svg})
  if(size EQUAL 16)
    set(_svg ${PROJECT_SOURCE_DIR}/data/desktop/tankedosan-16.svg)
  endif()
  set(_png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/tankedosan.png)
  add_custom_command(
    OUTPUT ${_png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${_png} ${_svg}
    DEPENDS ${_svg}
    COMMENT "Icon ${size}x${size}")
  list(APPEND _icon_pngs ${_png})
  install(FILES ${_png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(tankedosan_icons ALL DEPENDS ${_icon_pngs})
# Building only the program (scripts/run.sh) must still leave everything the install copies.
add_dependencies(tankedosan tankedosan_icons tankedosan_docs)

# `cpack -G DEB` in the build folder: the dependencies are read from the libraries the program really links
# (dpkg-shlibdeps), plus the Qt platform plugins, which Qt loads at run time rather than links. The package
# for users is built with Debian's compiler and linker flags and checked by scripts/check-package.sh.
set(CPACK_PACKAGE_NAME tankedosan)
set(CPACK_PACKAGE_VENDOR Tankedosan)
set(CPACK_PACKAGE_CONTACT "Tankedosan <tankedosan@example.org>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://tankedosan.example.org)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reader and editor for collections of Swedish proverbs")
# CPack indents each line and turns an empty one into " .": keep lines under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION [=[Tankedosan shows one proverb or quotation at a time from a collection and
steps forward and back through it, remembering where the user stopped. It
searches a collection for a beginning or for any occurrence of a text, and
keeps the hits as a list of their own to step through or save.

Collections are plain text files, one proverb per line. An editor keeps each
collection sorted, finds lines as the user types, reports duplicates and
imports lines from any text file. Lines can be put aside on a quick-save list
and saved as text files.

The user interface is in Swedish; Swedish sample collections are included.
An installed copy keeps each user's collections in ~/.local/share/Tankedosan.]=])
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A Debian revision: the package is not the upstream project's own (native) one, so its changelog is
# changelog.Debian.gz beside the upstream changelog.gz.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Without qt6-wayland Qt runs on XWayland in a Wayland session (GNOME's default), blurred at fractional scales.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-wayland")
include(CPack)
