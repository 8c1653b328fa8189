# Checks the includes of the program's files against the layers the build defines.
#
#   cmake -DMANIFEST=<layers-manifest.cmake> -P CheckLayers.cmake
#
# The manifest (written by Layers.cmake) names, for each library or program, the files it owns
# and the libraries it may use. A quoted include must name a file of the includer's own library
# or of one it uses; an angle include outside the operating-system backends must be a standard
# C++ header. Every breach is reported with the file, the include and the rule; any breach makes
# the check fail.

cmake_minimum_required(VERSION 3.25)

if(NOT MANIFEST)
    message(FATAL_ERROR "usage: cmake -DMANIFEST=<layers-manifest.cmake> -P CheckLayers.cmake")
endif()
include(${MANIFEST})

foreach(target IN LISTS LAYERS_TARGETS)
    foreach(file IN LISTS LAYERS_FILES_${target})
        set("owner_${file}" ${target})
    endforeach()
endforeach()

function(report file)
    string(JOIN "" text ${ARGN})
    message(NOTICE "src/${file}: ${text}")
endfunction()

# A quoted include: the file it names must belong to `target` or to a library `target` uses.
function(check_quoted target file included)
    set(owner "${owner_${included}}")
    if(owner STREQUAL "")
        report(${file} "includes \"${included}\", which no library lists: add it to the "
                       "CMakeLists.txt of its folder.")
        set(failed TRUE PARENT_SCOPE)
    elseif(NOT owner STREQUAL target AND NOT owner IN_LIST LAYERS_USES_${target})
        string(REPLACE ";" ", " uses "${LAYERS_USES_${target}}")
        if(uses STREQUAL "")
            set(uses "no other library")
        else()
            set(uses "only ${uses}")
        endif()
        report(${file} "includes \"${included}\" of ${owner}, but ${target} uses ${uses}: "
                       "a layer includes only itself and the layers below it.")
        set(failed TRUE PARENT_SCOPE)
    endif()
endfunction()

# An angle include outside the backends: a standard C++ header (no extension), or the C++
# runtime's own <cxxabi.h>.
function(check_angled target file included)
    if(target IN_LIST LAYERS_BACKENDS OR NOT included MATCHES "\\." OR
       included STREQUAL "cxxabi.h")
        return()
    endif()
    string(REPLACE ";" ", " backends "${LAYERS_BACKENDS}")
    if(NOT backends STREQUAL "")
        set(backends " (${backends})")
    endif()
    report(${file} "includes <${included}>, but only the operating-system backends${backends} "
                   "may include system headers.")
    set(failed TRUE PARENT_SCOPE)
endfunction()

set(any_failed FALSE)
foreach(target IN LISTS LAYERS_TARGETS)
    foreach(file IN LISTS LAYERS_FILES_${target})
        file(STRINGS "${LAYERS_ROOT}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
        foreach(line IN LISTS includes)
            set(failed FALSE)
            if(line MATCHES "include[ \t]*\"([^\"]+)\"")
                check_quoted(${target} ${file} "${CMAKE_MATCH_1}")
            elseif(line MATCHES "include[ \t]*<([^>]+)>")
                check_angled(${target} ${file} "${CMAKE_MATCH_1}")
            endif()
            if(failed)
                set(any_failed TRUE)
            endif()
        endforeach()
    endforeach()
endforeach()

if(any_failed)
    message(FATAL_ERROR "Includes that break the layers; see above.")
endif()
