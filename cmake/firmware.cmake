# The three firmware images the program carries as resources "BINARY" 501, 504 and 505. The maker's images come
# from FWU_FIRMWARE_DIR (fw501.bin, fw504.bin, fw505.bin); without it, deterministic placeholders of the same
# sizes are generated at build time by a host-built tool. Nothing of either is committed.
set(FWU_FIRMWARE_OUT ${FWU_GEN_DIR}/firmware)
set(FWU_FIRMWARE_FILES ${FWU_FIRMWARE_OUT}/fw501.bin ${FWU_FIRMWARE_OUT}/fw504.bin ${FWU_FIRMWARE_OUT}/fw505.bin)
file(MAKE_DIRECTORY ${FWU_FIRMWARE_OUT})

if(FWU_FIRMWARE_DIR)
  foreach(image 501:8388608 504:8388608 505:13633428)
    string(REPLACE ":" ";" parts ${image})
    list(GET parts 0 id)
    list(GET parts 1 expected)
    set(source ${FWU_FIRMWARE_DIR}/fw${id}.bin)
    if(NOT EXISTS ${source})
      message(FATAL_ERROR "firmware image ${source} is missing")
    endif()
    file(SIZE ${source} actual)
    if(NOT actual EQUAL expected)
      message(FATAL_ERROR "firmware image ${source} has ${actual} bytes, expected ${expected}")
    endif()
  endforeach()
  add_custom_command(OUTPUT ${FWU_FIRMWARE_FILES}
    COMMAND ${CMAKE_COMMAND} -E copy ${FWU_FIRMWARE_DIR}/fw501.bin ${FWU_FIRMWARE_DIR}/fw504.bin
            ${FWU_FIRMWARE_DIR}/fw505.bin ${FWU_FIRMWARE_OUT}
    DEPENDS ${FWU_FIRMWARE_DIR}/fw501.bin ${FWU_FIRMWARE_DIR}/fw504.bin ${FWU_FIRMWARE_DIR}/fw505.bin
    COMMENT "Taking the firmware images from ${FWU_FIRMWARE_DIR}")
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
endif()
add_custom_target(fwu_firmware DEPENDS ${FWU_FIRMWARE_FILES})
