# Links a test with Debian's pxlib, when installed, as an independent reader
# of the Paradox files the program writes (tests/support/pxlib_reader.h).
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(PXLIB QUIET IMPORTED_TARGET pxlib)
endif()
function(veltra_use_pxlib target)
  if(PXLIB_FOUND)
    target_link_libraries(${target} PRIVATE PkgConfig::PXLIB)
    target_compile_definitions(${target} PRIVATE VELTRA_HAVE_PXLIB=1)
  endif()
endfunction()
