# A load or an unload of many thousand files makes and frees several small blocks per file
# (names, steps, record lines). glibc's allocator spends about a third of such a change sorting
# its free lists; jemalloc does the same work in a fraction of the time. Debian's libjemalloc.a
# is linked into the program itself, so that no library is loaded at start for it. Sanitizer
# builds keep their own allocator, and a machine without libjemalloc-dev gets glibc's.
option(KVO_JEMALLOC "Link jemalloc into the kvo program where Debian's libjemalloc.a is found" ON)
function(kvo_fast_allocator target)
  if(WIN32 OR KVO_SANITIZE OR KVO_BUILD_FUZZ OR NOT KVO_JEMALLOC)
    return()
  endif()
  find_library(KVO_JEMALLOC_STATIC NAMES libjemalloc.a)
  if(NOT KVO_JEMALLOC_STATIC)
    message(STATUS "allocator: glibc's, since libjemalloc.a is missing")
    return()
  endif()
  find_package(Threads REQUIRED)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src/jemalloc_settings.cpp)
  target_link_libraries(${target} PRIVATE "${KVO_JEMALLOC_STATIC}" Threads::Threads
                                          ${CMAKE_DL_LIBS})
  message(STATUS "allocator: jemalloc, linked from ${KVO_JEMALLOC_STATIC}")
endfunction()
