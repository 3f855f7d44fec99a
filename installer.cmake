# The installer stub: a 32-bit Win32 GUI program, static, stripped and
# size-optimised, since a copy of it ships inside every font package.
enable_language(RC)
add_executable(kervale-stub WIN32
  startup/main_win.cpp
  startup/frm_startup.cpp
  startup/self_extract.cpp
  wizard/frm_one.cpp
  wizard/frm_license.cpp
  wizard/frm_two.cpp
  wizard/frm_about.cpp
  wizard/frm_install.cpp
  install/install_run.cpp
  install/install_actions.cpp
  shell/mod_web.cpp
  platform/form.cpp
  platform/files.cpp
  platform/runtime_win.cpp
  resources/installer.rc)
# The resource compiler does not report the files that the script pulls in.
set_source_files_properties(resources/installer.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_CURRENT_SOURCE_DIR}/resources/program.ico;${CMAKE_CURRENT_SOURCE_DIR}/resources/logo.bmp;${CMAKE_CURRENT_SOURCE_DIR}/resources/installer.manifest;${CMAKE_CURRENT_SOURCE_DIR}/resources/version.h;${CMAKE_CURRENT_SOURCE_DIR}/resources/resource.h")
target_include_directories(kervale-stub PRIVATE startup platform wizard shell install resources)
target_link_libraries(kervale-stub PRIVATE kervale_installer_logic kervale_format)
target_compile_options(kervale-stub PRIVATE -Os -ffunction-sections -fdata-sections
  -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -Wall -Wextra)
target_link_options(kervale-stub PRIVATE -s -static -Wl,--gc-sections
  -Wl,-Map=${CMAKE_CURRENT_BINARY_DIR}/kervale-stub.map)
