# Warnings are errors for our own targets.
function(storyloom_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
