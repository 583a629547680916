# Installing and packaging. An installed copy is recognised by its samples in ../share/tankedosan beside its
# bin folder (it then keeps the collections in each user's own data folder), so these two folders are fixed.
install(TARGETS tankedosan RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/data/Citat.dat ${PROJECT_SOURCE_DIR}/data/Djur.dat
              ${PROJECT_SOURCE_DIR}/data/help.txt
        DESTINATION share/tankedosan)
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/tankedosan.desktop DESTINATION share/applications)
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
  set(_png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/tankedosan.png)
  add_custom_command(
    OUTPUT ${_png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${_png} ${_icon_svg}
    DEPENDS ${_icon_svg}
    COMMENT "Icon ${size}x${size}")
  list(APPEND _icon_pngs ${_png})
  install(FILES ${_png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(tankedosan_icons ALL DEPENDS ${_icon_pngs})
# Building only the program (scripts/run.sh) must still leave everything the install copies.
add_dependencies(tankedosan tankedosan_icons)

# `cpack -G DEB` in the build folder: the dependencies are read from the libraries the program really links
# (dpkg-shlibdeps), plus the Qt platform plugins, which Qt loads at run time rather than links.
set(CPACK_PACKAGE_NAME tankedosan)
set(CPACK_PACKAGE_VENDOR Tankedosan)
set(CPACK_PACKAGE_CONTACT "Tankedosan <dev@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Läser, söker i och sköter samlingar av ordspråk och citat")
set(CPACK_PACKAGE_DESCRIPTION
    "Tankedosan visar ett ordspråk i taget ur en samling, söker i samlingen och låter användaren redigera den.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
