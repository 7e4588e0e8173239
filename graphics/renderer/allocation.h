#pragma once

#include <cstddef>
#include <cstdint>

// The one place the vector core and the font atlas get memory from. Every
// array they own is allocated, grown and freed here, so that tests can count
// allocations (the render path must allocate nothing once warm) and make them
// fail. Memory comes from malloc: a caller may hand the atlas malloc'ed font
// bytes to free.
//
// Threads: any; the counters are atomic.

// malloc, realloc and free of the core; allocation and reallocation calls are
// counted and fail (null) once the failure countdown runs out.
void* vc__alloc(std::size_t size);
void* vc__realloc(void* ptr, std::size_t size);
void vc__free(void* ptr);

// Allocation and reallocation calls made through the seam since the process
// started, failed ones included.
std::uint64_t vcAllocationCount();

// Tests: the largest size asked of vc__alloc or vc__realloc since the last
// reset.
std::size_t vcLargestAllocationSize();
void vcResetLargestAllocationSize();

// Tests and fuzz targets: allocations and reallocations above `bytes` fail;
// 0 (the default) sets no limit.
void vcSetAllocationSizeLimit(std::size_t bytes);

// Tests: the next `allowed` allocations succeed and every later one fails;
// a negative value (the default) lets every allocation succeed.
void vcSetAllocationsBeforeFailure(int allowed);
