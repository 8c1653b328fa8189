# What `cpack` makes from a build: on Windows PakVue-<version>-win64.zip, one folder holding
# pakvue.exe with the example configuration beside it, a README.txt and the licence; on Linux
# pakvue_<version>_<arch>.deb with the program, its manual page, a desktop entry with its icon
# and the examples. The program's own install rule is in src/app/.

set(CPACK_PACKAGE_VENDOR "The PakVue developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tray performance monitor with live graphs")
set(CPACK_PACKAGE_DESCRIPTION
    "PakVue draws small live graphs of performance counters (processor time,\n"
    "memory load, network and disk rates, any counter path) into its icons in\n"
    "the notification area. Resting the mouse on an icon pops up a detail window\n"
    "with the same graphs large, a grid, a data inspector and a legend of last,\n"
    "average and peak values. One JSON file lists the icons and their graphs.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# A package of a build with debugging information still ships a small program.
set(CPACK_STRIP_FILES ON)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Every example ships, so whatever is added to examples/ reaches the users.
file(GLOB pakvue_examples CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*.json)
set(pakvue_packaging ${PROJECT_SOURCE_DIR}/packaging)

if(WIN32)
    # Beside pakvue.exe, where it looks for pakvue.config.json, so the unpacked folder runs as
    # it is; the text files with Windows line ends, for any editor there.
    set(CPACK_GENERATOR ZIP)
    configure_file(${pakvue_packaging}/README.txt.in README.txt @ONLY NEWLINE_STYLE WIN32)
    configure_file(${PROJECT_SOURCE_DIR}/LICENSE LICENSE @ONLY NEWLINE_STYLE WIN32)
    install(FILES ${pakvue_examples} ${CMAKE_CURRENT_BINARY_DIR}/README.txt
                  ${CMAKE_CURRENT_BINARY_DIR}/LICENSE
            DESTINATION .)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The PakVue developers <pakvue@example.org>")
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # Opened when first needed rather than linked, so the libraries' scan cannot see them.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libfreetype6 (>= 2.10), libfontconfig1 (>= 2.13), libsystemd0 (>= 246)")
    # "Edit configuration" and "Open log" open the files with xdg-open; without it the program
    # says so.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)

    # The manual page and the changelog are shipped compressed, without a name or a time in
    # the gzip header, so that the same sources make the same package.
    find_program(GZIP gzip REQUIRED)
    set(PAKVUE_MAINTAINER ${CPACK_DEBIAN_PACKAGE_MAINTAINER})
    set(compressed "")
    foreach(file pakvue.1 changelog)
        configure_file(${pakvue_packaging}/${file}.in ${file} @ONLY)
        add_custom_command(OUTPUT ${file}.gz COMMAND ${GZIP} -9nkf ${file} DEPENDS ${file}
                           COMMENT "Compressing ${file}")
        list(APPEND compressed ${CMAKE_CURRENT_BINARY_DIR}/${file}.gz)
    endforeach()
    add_custom_target(pakvue_package_files ALL DEPENDS ${compressed})

    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pakvue.1.gz DESTINATION share/man/man1)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION share/doc/pakvue)
    install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION share/doc/pakvue RENAME copyright)
    install(FILES ${pakvue_examples} DESTINATION share/doc/pakvue/examples)
    # The desktop entry starts the program as it is: a first start writes the example, which
    # the program carries, into the user's configuration folder.
    install(FILES ${pakvue_packaging}/pakvue.desktop DESTINATION share/applications)
    # The desktop entry's icon, in the theme every desktop falls back to.
    foreach(size IN LISTS PAKVUE_ICON_PNG_SIZES)
        install(FILES ${PAKVUE_ICON_DIR}/pakvue-${size}.png
                DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME pakvue.png)
    endforeach()
    install(FILES ${PAKVUE_ICON_DIR}/pakvue.svg DESTINATION share/icons/hicolor/scalable/apps)
endif()

include(CPack)
