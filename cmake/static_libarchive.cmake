# Debian's libarchive linked in whole rather than loaded at start: the shared library brings
# nine more (libxml2 and ICU among them) that every command would load and relocate before
# doing anything, about 1.3 ms a start. Linked from libarchive.a, only the reading code the
# selector calls comes in, and only the compression libraries that code needs are loaded.
find_library(KVO_LIBARCHIVE_STATIC NAMES libarchive.a)
find_package(PkgConfig)
if(PkgConfig_FOUND)
  pkg_check_modules(KVO_LIBARCHIVE_PC QUIET libarchive)
endif()
if(KVO_LIBARCHIVE_STATIC AND KVO_LIBARCHIVE_PC_FOUND)
  set(kvo_libarchive_deps ${KVO_LIBARCHIVE_PC_STATIC_LIBRARIES})
  list(REMOVE_ITEM kvo_libarchive_deps archive)
  set(kvo_libarchive_found_all TRUE)
  foreach(dep IN LISTS kvo_libarchive_deps)
    find_library(KVO_LIBARCHIVE_DEP_${dep} NAMES ${dep})
    if(NOT KVO_LIBARCHIVE_DEP_${dep})
      set(kvo_libarchive_found_all FALSE)
    endif()
  endforeach()
  if(kvo_libarchive_found_all)
    set_target_properties(LibArchive::LibArchive PROPERTIES
      IMPORTED_LOCATION "${KVO_LIBARCHIVE_STATIC}"
      INTERFACE_LINK_LIBRARIES "${kvo_libarchive_deps}")
    # The compression libraries the linked code does not use stay out of the program.
    add_link_options(LINKER:--as-needed)
    message(STATUS "libarchive: linked from ${KVO_LIBARCHIVE_STATIC}")
  else()
    message(STATUS "libarchive: shared, since a library libarchive.a needs is missing")
  endif()
endif()
