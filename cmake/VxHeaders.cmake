# vx_public_headers(target)
# Gives the library `target` an include root that holds its own folder's headers and nothing
# else: <build>/include/<key>/<folder>/<Header>.h, each a link to the header in the source
# tree (<folder> is the calling folder below src/, tests/ or tools/; the libraries of one
# folder share its root). Dependants include them as "<folder>/<Header>.h" and see only the headers of the
# libraries they link, so an include against the layering fails to compile as well as failing
# scripts/check-includes.
function(vx_public_headers target)
    file(RELATIVE_PATH path ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    string(REGEX REPLACE "^(src|tests|tools)/" "" folder ${path})
    string(REPLACE "/" "_" key ${path})
    set(root ${CMAKE_BINARY_DIR}/include/${key})
    get_property(linked DIRECTORY PROPERTY VX_HEADERS_LINKED)
    if(NOT linked)
        file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
        file(REMOVE_RECURSE ${root})
        file(MAKE_DIRECTORY ${root}/${folder})
        foreach(header IN LISTS headers)
            get_filename_component(name ${header} NAME)
            file(CREATE_LINK ${header} ${root}/${folder}/${name} SYMBOLIC)
        endforeach()
        set_property(DIRECTORY PROPERTY VX_HEADERS_LINKED TRUE)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()
