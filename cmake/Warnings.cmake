# Every warning is an error, for every target of the project.
add_compile_options(-Wall -Wextra -Wpedantic -Werror -Wshadow=local -Wnon-virtual-dtor)
