# Resource-only Windows DLLs, built with the mingw-w64 binutils: windres compiles the .rc file
# (through the plain C preprocessor `cpp`) into a COFF object, ld links it into a PE DLL
# without code or entry point, as a resource-only DLL is on Windows.
find_program(VX_WINDRES i686-w64-mingw32-windres REQUIRED)
find_program(VX_PE_LD i686-w64-mingw32-ld REQUIRED)
find_program(VX_CPP cpp REQUIRED)

# vx_add_resource_dll(<target> RC <file.rc> OUTPUT <dll path>)
# The target's VX_FILE property holds the DLL's path.
function(vx_add_resource_dll target)
    cmake_parse_arguments(D "" "RC;OUTPUT" "" ${ARGN})
    set(object ${CMAKE_CURRENT_BINARY_DIR}/${target}.res.o)
    add_custom_command(OUTPUT ${object}
        COMMAND ${VX_WINDRES} --preprocessor=${VX_CPP} -O coff -i ${D_RC} -o ${object}
        DEPENDS ${D_RC}
        COMMENT "Compiling the resources of ${target}"
        VERBATIM)
    # --no-insert-timestamp keeps the file the same from build to build.
    add_custom_command(OUTPUT ${D_OUTPUT}
        COMMAND ${VX_PE_LD} --dll -e 0 -s --subsystem windows --no-insert-timestamp
                -o ${D_OUTPUT} ${object}
        DEPENDS ${object}
        COMMENT "Linking ${D_OUTPUT}"
        VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${D_OUTPUT})
    set_target_properties(${target} PROPERTIES VX_FILE ${D_OUTPUT})
endfunction()
