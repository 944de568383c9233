# Shared compile settings and helpers for the project's targets.
add_library(sitebox_options INTERFACE)
target_compile_options(sitebox_options INTERFACE -Wall -Wextra)
if(SITEBOX_WERROR)
    target_compile_options(sitebox_options INTERFACE -Werror)
endif()

# sitebox_library(NAME SOURCES ... DEPENDS ...): one static library per subsystem folder,
# reachable as sitebox::NAME, with its folder's parent on the include path.
function(sitebox_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_library(sitebox_${name} STATIC ${ARG_SOURCES})
    add_library(sitebox::${name} ALIAS sitebox_${name})
    target_include_directories(sitebox_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
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
