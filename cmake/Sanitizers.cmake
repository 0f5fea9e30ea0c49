# VX_SANITIZE is a list: "address;undefined" or "thread".
if(VX_SANITIZE)
    list(JOIN VX_SANITIZE "," _vx_san)
    add_compile_options(-fsanitize=${_vx_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${_vx_san})
endif()
