// Read by jemalloc as it starts (linked only where cmake/allocator.cmake finds it).
//
// Memory a change frees goes back to the system within 20 ms rather than some seconds later: a
// load of 100,000 files frees its plan's names while its journal and copies need new room, and
// keeping both would add about a fifth to its peak. Giving each block back the moment it is
// freed (0 ms) keeps the peak a little lower still, but costs hundreds of calls to the kernel
// even in a change of a few thousand files; 20 ms gathers them into a few dozen.
extern "C" {
extern const char* malloc_conf;
const char* malloc_conf = "dirty_decay_ms:20";
}
