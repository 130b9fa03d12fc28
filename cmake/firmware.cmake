# The three firmware images the program carries as resources "BINARY" 501, 504 and 505. The maker's images come
# from FWU_FIRMWARE_DIR (fw501.bin, fw504.bin, fw505.bin); without it, deterministic placeholders of the same
# sizes are generated at build time by a host-built tool, and the program says so (FWU_PLACEHOLDER_IMAGES).
# Nothing of either is committed.
set(FWU_FIRMWARE_OUT ${FWU_GEN_DIR}/firmware)
set(FWU_FIRMWARE_FILES ${FWU_FIRMWARE_OUT}/fw501.bin ${FWU_FIRMWARE_OUT}/fw504.bin ${FWU_FIRMWARE_OUT}/fw505.bin)
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
  set(images ${FWU_FIRMWARE_DIR}/fw501.bin ${FWU_FIRMWARE_DIR}/fw504.bin ${FWU_FIRMWARE_DIR}/fw505.bin)
  add_custom_command(OUTPUT ${FWU_FIRMWARE_FILES}
    COMMAND ${check} ${FWU_FIRMWARE_DIR} --copy-to ${FWU_FIRMWARE_OUT}
    DEPENDS ${images} ${CMAKE_SOURCE_DIR}/tools/check_firmware.py
    COMMENT "Checking and taking the firmware images from ${FWU_FIRMWARE_DIR}")
  set(FWU_PLACEHOLDER_IMAGES OFF)
else()
  # The generator runs on the build machine, also when the program is cross-compiled.
  find_program(FWU_HOST_CXX NAMES g++ c++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
  set(generator ${FWU_FIRMWARE_OUT}/gen_firmware_host)
  add_custom_command(OUTPUT ${generator}
    COMMAND ${FWU_HOST_CXX} -std=c++20 -O2 -I${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tools/gen_firmware.cpp
            ${CMAKE_SOURCE_DIR}/emulator/placeholder_image.cpp -o ${generator}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/gen_firmware.cpp ${CMAKE_SOURCE_DIR}/emulator/placeholder_image.cpp
            ${CMAKE_SOURCE_DIR}/emulator/placeholder_image.h
    COMMENT "Building the placeholder firmware generator for the build machine")
  add_custom_command(OUTPUT ${FWU_FIRMWARE_FILES}
    COMMAND ${generator} ${FWU_FIRMWARE_OUT}
    DEPENDS ${generator}
    COMMENT "Generating placeholder firmware images")
  set(FWU_PLACEHOLDER_IMAGES ON)
endif()
add_custom_target(fwu_firmware DEPENDS ${FWU_FIRMWARE_FILES})
