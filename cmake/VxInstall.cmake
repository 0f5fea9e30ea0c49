# Where `cmake --install` and the package put the program, and the names its desktop files use.
#
# VXTray finds its installation folder (the scanner library, the companions, the default prefix,
# the languages, the help) beside its own file through /proc/self/exe, and the tools find the
# default prefix the same way: all of them share one private folder, and bin/ holds relative
# links into it, which /proc/self/exe resolves.
set(VX_INSTALL_APPDIR "lib/korvex-thornet-2"
    CACHE STRING "The installation folder of VXTray and the tools, below the install prefix")
set(VX_INSTALL_DOCDIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/korvex-thornet-2-tray")

# The product's names, read from the one place the program takes them from.
function(vx_read_product_name variable constant)
    file(STRINGS ${CMAKE_SOURCE_DIR}/src/product/ProductIdentity.h line
         REGEX "constexpr const char\\* ${constant} = \"")
    if(NOT line MATCHES "= \"([^\"]+)\"")
        message(FATAL_ERROR "src/product/ProductIdentity.h has no ${constant}")
    endif()
    set(${variable} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()
vx_read_product_name(VX_PRODUCT_NAME ProductName)
vx_read_product_name(VX_APPLICATION_TITLE ApplicationTitle)
vx_read_product_name(VX_DESKTOP_ID DesktopFileName)

# vx_install_program(<target>...)
# Installs each program into the installation folder and a relative link to it into bin/.
function(vx_install_program)
    file(RELATIVE_PATH up /${CMAKE_INSTALL_BINDIR} /${VX_INSTALL_APPDIR})
    foreach(target IN LISTS ARGN)
        get_target_property(name ${target} OUTPUT_NAME)
        if(NOT name)
            set(name ${target})
        endif()
        install(TARGETS ${target} RUNTIME DESTINATION ${VX_INSTALL_APPDIR})
        # Made at configure time: install(FILES) copies a link as a link, dangling or not.
        set(link ${CMAKE_BINARY_DIR}/install-links/${name})
        file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
        file(CREATE_LINK ${up}/${name} ${link} SYMBOLIC)
        install(FILES ${link} DESTINATION ${CMAKE_INSTALL_BINDIR})
    endforeach()
endfunction()
