# Applies Q470_SANITIZE (for example "address;undefined" or "thread") to every target.
if(Q470_SANITIZE)
    list(JOIN Q470_SANITIZE "," q470_sanitize_list)
    add_compile_options(-fsanitize=${q470_sanitize_list} -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=${q470_sanitize_list})
endif()
