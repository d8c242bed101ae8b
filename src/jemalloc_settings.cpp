// Read by jemalloc as it starts (linked only where cmake/allocator.cmake finds it).
//
// Memory a change frees goes back to the system at once rather than some seconds later: a
// load of 100,000 files frees its plan's names while its journal and copies need new room,
// and keeping both would add about a fifth to its peak. Giving it back costs a few percent
// of the time of such a load.
extern "C" {
extern const char* malloc_conf;
const char* malloc_conf = "dirty_decay_ms:0";
}
