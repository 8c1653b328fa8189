# Writes a C++ source that holds files as byte arrays, each returned by a function of its own,
# so that the program carries them without a second copy kept by hand.
#
#   cmake -DOUTPUT=<source> -DHEADER=<header to include> -DFILES=<file;function;...> -P EmbedFiles.cmake

cmake_minimum_required(VERSION 3.25)

set(text "// Generated from the files named below; edit those instead.\n#include \"${HEADER}\"\n\n")
string(APPEND text "namespace {\n")
set(functions "")
list(LENGTH FILES count)
math(EXPR last "${count} - 1")
foreach(index RANGE 0 ${last} 2)
    math(EXPR next "${index} + 1")
    list(GET FILES ${index} file)
    list(GET FILES ${next} function)
    file(READ ${file} bytes HEX)
    string(REGEX REPLACE "(..)" "0x\\1," bytes "${bytes}")
    string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
    get_filename_component(name ${file} NAME)
    string(APPEND text "// ${name}\nconst unsigned char ${function}Bytes[] = {\n    ${bytes}};\n")
    string(APPEND functions "std::string_view ${function}() {\n"
           "    return {reinterpret_cast<const char*>(${function}Bytes), sizeof ${function}Bytes};\n}\n\n")
endforeach()
string(APPEND text "} // namespace\n\n${functions}")
file(CONFIGURE OUTPUT ${OUTPUT} CONTENT "${text}" @ONLY)
