# Link settings shared by every Python extension module of the project, so that
# a wheel holding them runs on any manylinux system of its architecture:
#
# - libstdc++ is linked statically: the C++23 code needs newer libstdc++ symbol
#   versions than any manylinux policy allows, and a hidden static copy cannot
#   clash with the C++ runtime of another module in the same process. The
#   unwinder stays the shared libgcc_s, which every policy allows: its static
#   copy would call _dl_find_object and so need glibc 2.35;
# - unused sections are dropped, which removes the parts of libstdc++ we never
#   call (std::random_device's arc4random, for one) and their glibc demands;
# - only PyInit_* is exported (hidden visibility, and on ELF a version script
#   that also hides the symbols of the static runtime).
#
# Use: varnolt_extension_module_settings(<target>) after python_add_library.

set(VARNOLT_EXTENSION_EXPORTS "${CMAKE_CURRENT_LIST_DIR}/extension_exports.map")

function(varnolt_extension_module_settings target)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(APPLE)
    # The system's libc++ is part of macOS; only the exports need naming.
    target_link_options(${target} PRIVATE "LINKER:-exported_symbol,_PyInit_*")
  elseif(UNIX)
    target_link_options(${target} PRIVATE
      "LINKER:--version-script=${VARNOLT_EXTENSION_EXPORTS}" "LINKER:--gc-sections")
    # Sanitizer builds keep the shared runtime: the preloaded sanitizer runtime
    # must intercept its operator new/delete and __cxa_throw, which a hidden
    # static copy would bypass.
    if(NOT VARNOLT_SANITIZE)
      target_link_options(${target} PRIVATE -static-libstdc++)
    endif()
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${VARNOLT_EXTENSION_EXPORTS}")
  endif()
  # Windows (MSVC) exports only what is marked for export, PyInit_* here.
endfunction()
