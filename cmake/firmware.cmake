# The firmware images the program carries as resources "BINARY", those of the firmware images' table
# (src/res/firmware_images.txt, read by cmake/generated.cmake into FWU_FIRMWARE_NAMES and the resource script's
# lines). The maker's images come from FWU_FIRMWARE_DIR; without it, deterministic placeholders of the same
# sizes are generated at build time by a host-built tool, and the program says so (FWU_PLACEHOLDER_IMAGES).
# Nothing of either is committed.
list(TRANSFORM FWU_FIRMWARE_NAMES PREPEND ${FWU_FIRMWARE_OUT}/ OUTPUT_VARIABLE FWU_FIRMWARE_FILES)
file(MAKE_DIRECTORY ${FWU_FIRMWARE_OUT})

if(FWU_FIRMWARE_DIR)
  # Checked when configuring, so a wrong folder stops at once with the reason, and again when the images are
  # taken, so one changed since then is never embedded unchecked: there, exact sizes, readable, neither the
  # generated placeholder nor one byte repeated (tools/check_firmware.py).
  set(check ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/check_firmware.py)
  execute_process(COMMAND ${check} ${FWU_FIRMWARE_DIR} RESULT_VARIABLE refused ERROR_VARIABLE why)
  if(refused)
    message(FATAL_ERROR "${why}")
  endif()
  list(TRANSFORM FWU_FIRMWARE_NAMES PREPEND ${FWU_FIRMWARE_DIR}/ OUTPUT_VARIABLE images)
  add_custom_command(OUTPUT ${FWU_FIRMWARE_FILES}
    COMMAND ${check} ${FWU_FIRMWARE_DIR} --copy-to ${FWU_FIRMWARE_OUT}
    DEPENDS ${images} ${CMAKE_SOURCE_DIR}/tools/check_firmware.py ${CMAKE_SOURCE_DIR}/tools/firmware_images.py
            ${FWU_FIRMWARE_TABLE}
    COMMENT "Checking and taking the firmware images from ${FWU_FIRMWARE_DIR}")
  set(FWU_PLACEHOLDER_IMAGES OFF)
else()
  # The generator runs on the build machine, also when the program is cross-compiled.
  find_program(FWU_HOST_CXX NAMES g++ c++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
  set(generator ${FWU_FIRMWARE_OUT}/gen_firmware_host)
  add_custom_command(OUTPUT ${generator}
    COMMAND ${FWU_HOST_CXX} -std=c++20 -O2 -I${CMAKE_SOURCE_DIR} -I${CMAKE_BINARY_DIR}
            ${CMAKE_SOURCE_DIR}/tools/gen_firmware.cpp ${CMAKE_SOURCE_DIR}/emulator/placeholder_image.cpp -o ${generator}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/gen_firmware.cpp ${CMAKE_SOURCE_DIR}/emulator/placeholder_image.cpp
            ${CMAKE_SOURCE_DIR}/emulator/placeholder_image.h ${CMAKE_SOURCE_DIR}/emulator/fnv1a64.h
            ${FWU_GEN_DIR}/firmware_images.h
    COMMENT "Building the placeholder firmware generator for the build machine")
  add_custom_command(OUTPUT ${FWU_FIRMWARE_FILES}
    COMMAND ${generator} ${FWU_FIRMWARE_OUT}
    DEPENDS ${generator}
    COMMENT "Generating placeholder firmware images")
  set(FWU_PLACEHOLDER_IMAGES ON)
endif()
add_custom_target(fwu_firmware DEPENDS ${FWU_FIRMWARE_FILES})
