# Every warning is an error, for every target of the project, with GCC and with clang.
add_compile_options(-Wall -Wextra -Wpedantic -Werror -Wnon-virtual-dtor)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # A local that shadows another local or a parameter; GCC's narrowest shadow warning.
    add_compile_options(-Wshadow=local)
    # GCC 12 at -O2/-O3 reports -Wrestrict on plain std::string concatenations (GCC bug 105651).
    if(CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        add_compile_options(-Wno-restrict)
    endif()
elseif(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    # Clang has no local-only form: -Wshadow is the nearest, covering locals, parameters and
    # variables of enclosing namespaces alike.
    add_compile_options(-Wshadow)
endif()
