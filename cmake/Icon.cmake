# The application icon, drawn at build time by packaging/make-icon.py from the shapes it holds:
# pakvue.ico for the Windows executable's resources, PNG files and an SVG for the hicolor icon
# theme of the Debian package. pakvue_icon makes them; PAKVUE_ICON_DIR is where they go.

find_program(PAKVUE_PYTHON3 NAMES python3 REQUIRED)
set(PAKVUE_ICON_DIR ${CMAKE_BINARY_DIR}/icon)
# The sizes the theme has folders for; the executable's icon holds 20 pixels too.
set(PAKVUE_ICON_PNG_SIZES 16 24 32 48 256)

set(pakvue_icon_files ${PAKVUE_ICON_DIR}/pakvue.ico ${PAKVUE_ICON_DIR}/pakvue.svg)
foreach(size IN LISTS PAKVUE_ICON_PNG_SIZES)
    list(APPEND pakvue_icon_files ${PAKVUE_ICON_DIR}/pakvue-${size}.png)
endforeach()
add_custom_command(OUTPUT ${pakvue_icon_files}
                   COMMAND ${PAKVUE_PYTHON3} ${PROJECT_SOURCE_DIR}/packaging/make-icon.py
                           ${PAKVUE_ICON_DIR}
                   DEPENDS ${PROJECT_SOURCE_DIR}/packaging/make-icon.py
                   COMMENT "Drawing the application icon")
add_custom_target(pakvue_icon ALL DEPENDS ${pakvue_icon_files})
