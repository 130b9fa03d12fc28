# Warnings are errors in every build, native and mingw.
function(fwu_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror -Wshadow -Wnon-virtual-dtor
                                           -Wcast-align -Woverloaded-virtual
                                           -Wno-missing-field-initializers)
endfunction()
