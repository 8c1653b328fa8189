# The program's libraries and the rule that keeps their dependencies running one way.
#
# Every library lists all of its files, headers included, so the build knows which library owns
# each file. A file may include files of its own library and of the libraries it links, directly
# or through another; anything else is an include that points upward or sideways, and the build
# stops on it (CheckLayers.cmake). Libraries marked as operating-system backends are the only ones
# whose files may include system headers.

# Adds a static library of the program from its files, relative to the calling folder.
function(pakvue_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    set_property(GLOBAL APPEND PROPERTY PAKVUE_CHECKED_TARGETS ${name})
endfunction()

# Adds a backend: a library whose files call the operating system and may include its headers.
# It implements functions the seam declares and layers below it call (counters for monitoring,
# text for the controls), so it is linked as objects: an archive placed before those layers on
# the link line would not be searched again for them.
function(pakvue_backend name)
    add_library(${name} OBJECT ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    set_property(GLOBAL APPEND PROPERTY PAKVUE_CHECKED_TARGETS ${name})
    set_property(GLOBAL APPEND PROPERTY PAKVUE_BACKENDS ${name})
endfunction()

# Puts a program (an executable of src/) under the same rule as the libraries.
function(pakvue_checked_program name)
    set_property(GLOBAL APPEND PROPERTY PAKVUE_CHECKED_TARGETS ${name})
endfunction()

# The program's libraries that `target` links, directly or through another, into `out`.
function(_pakvue_uses target out)
    get_property(checked GLOBAL PROPERTY PAKVUE_CHECKED_TARGETS)
    set(found "")
    set(pending ${target})
    while(pending)
        list(POP_FRONT pending current)
        get_target_property(links ${current} LINK_LIBRARIES)
        foreach(link IN LISTS links)
            if(link IN_LIST checked AND NOT link IN_LIST found)
                list(APPEND found ${link})
                list(APPEND pending ${link})
            endif()
        endforeach()
    endwhile()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

# The files of `target` relative to `root`, into `out`. Sources the build generates outside
# `root` (data made into code) include nothing but their own header, and are left out.
function(_pakvue_files target root out)
    get_target_property(sources ${target} SOURCES)
    get_target_property(folder ${target} SOURCE_DIR)
    set(files "")
    foreach(source IN LISTS sources)
        cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${folder} NORMALIZE OUTPUT_VARIABLE path)
        file(RELATIVE_PATH relative ${root} ${path})
        if(NOT relative MATCHES "^\\.\\./")
            list(APPEND files ${relative})
        endif()
    endforeach()
    set(${out} ${files} PARENT_SCOPE)
endfunction()

# Writes what each checked target owns and may use, and makes every build check the includes
# of all their files against it.
function(pakvue_check_layers root)
    get_property(targets GLOBAL PROPERTY PAKVUE_CHECKED_TARGETS)
    get_property(backends GLOBAL PROPERTY PAKVUE_BACKENDS)
    set(manifest "${CMAKE_BINARY_DIR}/layers-manifest.cmake")
    set(text "set(LAYERS_ROOT \"${root}\")\nset(LAYERS_TARGETS \"${targets}\")\n")
    string(APPEND text "set(LAYERS_BACKENDS \"${backends}\")\n")
    set(checked_files "")
    foreach(target IN LISTS targets)
        _pakvue_files(${target} ${root} files)
        _pakvue_uses(${target} uses)
        string(APPEND text "set(LAYERS_FILES_${target} \"${files}\")\n")
        string(APPEND text "set(LAYERS_USES_${target} \"${uses}\")\n")
        foreach(file IN LISTS files)
            list(APPEND checked_files ${root}/${file})
        endforeach()
    endforeach()
    file(CONFIGURE OUTPUT ${manifest} CONTENT "${text}")
    set(stamp "${CMAKE_BINARY_DIR}/layers-checked.stamp")
    set(script "${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake")
    add_custom_command(
        OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DMANIFEST=${manifest} -P ${script}
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS ${checked_files} ${manifest} ${script}
        COMMENT "Checking that every include points down the layers"
        VERBATIM)
    add_custom_target(pakvue_layers ALL DEPENDS ${stamp})
endfunction()
