# The installer stub: a 32-bit Win32 GUI program, static, stripped and
# size-optimised, since a copy of it ships inside every font package.
add_executable(kervale-stub WIN32
  startup/main_win.cpp)
target_link_libraries(kervale-stub PRIVATE kervale_format)
target_compile_options(kervale-stub PRIVATE -Os -ffunction-sections -fdata-sections
  -fno-exceptions -fno-rtti -Wall -Wextra)
target_link_options(kervale-stub PRIVATE -s -static -Wl,--gc-sections
  -Wl,-Map=${CMAKE_CURRENT_BINARY_DIR}/kervale-stub.map)
