# kestrane_version_header(<target> <major.minor.patch>): gives the target's
# resource script a "version.h" with that version, so that the number is
# written once, in the build file, and the version block follows it.
function(kestrane_version_header target version)
    if(NOT version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
        message(FATAL_ERROR "${target}: version ${version} is not major.minor.patch")
    endif()
    set(version_target ${target})
    set(version_major ${CMAKE_MATCH_1})
    set(version_minor ${CMAKE_MATCH_2})
    set(version_patch ${CMAKE_MATCH_3})
    set(version_text ${version})
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}-version)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.h.in ${folder}/version.h @ONLY)
    target_include_directories(${target} PRIVATE ${folder})
endfunction()
