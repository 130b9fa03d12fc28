# Sources made at build time from the project's own tables: the string tables of every language (a resource
# script for the program, a C++ table for the simulated host), the simulated host's dialog templates (read from
# the program's resource script) and the program's icon.
set(FWU_GEN_DIR ${CMAKE_BINARY_DIR}/gen)
file(MAKE_DIRECTORY ${FWU_GEN_DIR})
file(GLOB FWU_STRING_TABLES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/res/strings/*.txt)

add_custom_command(
  OUTPUT ${FWU_GEN_DIR}/strings.rc ${FWU_GEN_DIR}/string_tables.cpp
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/gen_strings.py --tables ${FWU_STRING_TABLES}
          --rc ${FWU_GEN_DIR}/strings.rc --cpp ${FWU_GEN_DIR}/string_tables.cpp
  DEPENDS ${FWU_STRING_TABLES} ${CMAKE_SOURCE_DIR}/tools/gen_strings.py
  COMMENT "Generating the string tables")

add_custom_command(
  OUTPUT ${FWU_GEN_DIR}/dialog_template_table.cpp
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/gen_dialogs.py --rc ${CMAKE_SOURCE_DIR}/src/res/fwupdate.rc
          --header ${CMAKE_SOURCE_DIR}/src/res/resource.h --cpp ${FWU_GEN_DIR}/dialog_template_table.cpp
  DEPENDS ${CMAKE_SOURCE_DIR}/src/res/fwupdate.rc ${CMAKE_SOURCE_DIR}/src/res/resource.h
          ${CMAKE_SOURCE_DIR}/tools/gen_dialogs.py ${CMAKE_SOURCE_DIR}/tools/gen_strings.py
  COMMENT "Generating the simulated dialog templates")

add_custom_command(
  OUTPUT ${FWU_GEN_DIR}/fwupdate.ico
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/gen_icon.py ${FWU_GEN_DIR}/fwupdate.ico
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/gen_icon.py
  COMMENT "Drawing the program icon")

# Targets in other folders depend on this one to have the files made before they compile.
add_custom_target(fwu_generated DEPENDS ${FWU_GEN_DIR}/strings.rc ${FWU_GEN_DIR}/string_tables.cpp
                  ${FWU_GEN_DIR}/dialog_template_table.cpp ${FWU_GEN_DIR}/fwupdate.ico)
