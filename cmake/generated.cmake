# Sources made at build time from the project's own tables: the string tables of every language (a resource
# script for the program, a C++ table for the simulated host), the simulated host's dialog templates (read from
# the program's resource script) and the program's icon. The firmware images' table is read when the build is
# configured instead, since the build's own list of image files comes from it.
set(FWU_GEN_DIR ${CMAKE_BINARY_DIR}/gen)
file(MAKE_DIRECTORY ${FWU_GEN_DIR})

# The firmware images' table: gen/firmware_images.h (included as "gen/firmware_images.h", the build folder being
# on the include path) for the program, the simulated host, sim_runner and the placeholder generator; the
# resource script's lines, which take each image from FWU_FIRMWARE_OUT; and the file names, FWU_FIRMWARE_NAMES.
# A change to the table or its reader configures again.
set(FWU_FIRMWARE_TABLE ${CMAKE_SOURCE_DIR}/src/res/firmware_images.txt)
set(FWU_FIRMWARE_OUT ${FWU_GEN_DIR}/firmware)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${FWU_FIRMWARE_TABLE}
             ${CMAKE_SOURCE_DIR}/tools/firmware_images.py)
file(RELATIVE_PATH rc_folder ${FWU_GEN_DIR} ${FWU_FIRMWARE_OUT})
execute_process(
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/firmware_images.py ${FWU_FIRMWARE_TABLE}
          --header ${FWU_GEN_DIR}/firmware_images.h --rc ${FWU_GEN_DIR}/firmware_images.rc --rc-folder ${rc_folder}
  OUTPUT_VARIABLE FWU_FIRMWARE_NAMES OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE refused ERROR_VARIABLE why)
if(refused)
  message(FATAL_ERROR "${why}")
endif()
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
