# Every warning is an error, for every target of the project.
add_compile_options(-Wall -Wextra -Wpedantic -Werror -Wshadow=local -Wnon-virtual-dtor)
# GCC 12 at -O2/-O3 reports -Wrestrict on plain std::string concatenations (GCC bug 105651).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    add_compile_options(-Wno-restrict)
endif()
