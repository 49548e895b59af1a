# project_warnings(<target>): the warning set every target of the project compiles with.
function(project_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                         -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wnull-dereference
                         -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough)
  if(WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
