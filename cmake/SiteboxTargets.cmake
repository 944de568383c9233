# Shared compile settings and helpers for the project's targets.
add_library(sitebox_options INTERFACE)
target_compile_options(sitebox_options INTERFACE -Wall -Wextra)
if(SITEBOX_WERROR)
    target_compile_options(sitebox_options INTERFACE -Werror)
endif()

# sitebox_library(NAME SOURCES ... HEADERS ... DEPENDS ...): one static library per subsystem
# folder, reachable as sitebox::NAME. Its include path holds only its own headers (those of its
# sources, plus HEADERS for header-only files), as <folder>/<header>, and those of what it links:
# a header of a layer above does not compile instead of creeping in.
function(sitebox_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;HEADERS;DEPENDS" ${ARGN})
    add_library(sitebox_${name} STATIC ${ARG_SOURCES})
    add_library(sitebox::${name} ALIAS sitebox_${name})
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(include_root ${CMAKE_BINARY_DIR}/include/${name})
    file(REMOVE_RECURSE ${include_root})
    file(MAKE_DIRECTORY ${include_root}/${folder})
    set(headers ${ARG_HEADERS})
    foreach(source IN LISTS ARG_SOURCES)
        get_filename_component(stem ${source} NAME_WE)
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${stem}.h)
            list(APPEND headers ${stem}.h)
        endif()
    endforeach()
    foreach(header IN LISTS headers)
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${include_root}/${folder}/${header}
             SYMBOLIC)
    endforeach()
    target_include_directories(sitebox_${name} PUBLIC ${include_root})
    target_link_libraries(sitebox_${name} PUBLIC ${ARG_DEPENDS} PRIVATE sitebox_options)
    set_target_properties(sitebox_${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()

# sitebox_bundle_executable(NAME SOURCES ... DEPENDS ...): a program placed in Contents/MacOS.
function(sitebox_bundle_executable name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} sitebox_options)
    set_target_properties(${name} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${SITEBOX_CONTENTS_DIR}/MacOS
        BUILD_RPATH "$ORIGIN/../Frameworks")
    add_dependencies(${name} sitebox_bundle_resources)
endfunction()
