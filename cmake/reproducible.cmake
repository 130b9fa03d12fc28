# The same source gives the same program bytes whoever builds it and wherever: no time stamp in the PE header
# (the linker would write the link time) and no folder of the build machine in the binaries (a path would
# otherwise reach them through __FILE__ in the runtime's assertions and the like).
if(WIN32)
  # gcc looks the maps up from the last one given: the build folder, often inside the source, comes second.
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>"
                      "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")
  add_link_options(-Wl,--no-insert-timestamp)
endif()
