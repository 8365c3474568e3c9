# q470_warnings(<target>): the warning set every target of this project is built with.
function(q470_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(Q470_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
