#pragma once

// Page memory for arenas that grow in large steps (the record tables).

#include <cstddef>

namespace tervik {

// Size of a memory page.
size_t MemoryPageSize();

// Zero-filled, readable and writable memory of nBytes (a multiple of the page size);
// null on failure. bLarge asks for a start on a 2 MB boundary and for large pages
// where the system backs them without privileges: fewer first-touch faults while a
// big file is read. It is only advice; the memory works without it.
void* MapMemory(size_t nBytes, bool bLarge);

// Gives back memory MapMemory answered, with the same size.
void UnmapMemory(void* p, size_t nBytes);

} // namespace tervik
