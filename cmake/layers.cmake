# One library per folder of the installer. The folder is the library's only
# include directory of its own, and it links only the layer below it, so a
# header of a layer above is not on its include path: an upward #include
# does not compile.
#
#   kervale_layer(NAME [PORTABLE src...] [WINDOWS src...] [BELOW lib...] [INCLUDE dir...])
#
# PORTABLE sources hold no Windows header and build in both builds (the
# native tests link them); WINDOWS sources only in the Windows build, with
# the stub's size-first flags. A layer with nothing to build on the host
# still carries its include directory there.
function(kervale_layer name)
  cmake_parse_arguments(L "" "" "PORTABLE;WINDOWS;BELOW;INCLUDE" ${ARGN})
  set(sources ${L_PORTABLE})
  if(WIN32)
    list(APPEND sources ${L_WINDOWS})
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    set(scope PUBLIC)
    target_compile_options(${name} PRIVATE -Wall -Wextra)
    if(WIN32)
      target_compile_options(${name} PRIVATE ${KERVALE_STUB_FLAGS})
      # As in the format core: no jump tables in the portable logic.
      if(L_PORTABLE)
        set_source_files_properties(${L_PORTABLE} PROPERTIES COMPILE_OPTIONS -fno-jump-tables)
      endif()
    endif()
  else()
    add_library(${name} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${name} ${scope} ${CMAKE_CURRENT_SOURCE_DIR} ${L_INCLUDE})
  target_link_libraries(${name} ${scope} ${L_BELOW})
endfunction()
