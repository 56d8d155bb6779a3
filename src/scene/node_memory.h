/// \file
/// Where scene nodes live: every SceneObject (meshes, helpers, characters, cameras, particles)
/// made with `new` takes its memory from chunks of 2 MiB that the kernel is asked to back with
/// huge pages, in size classes of 64 bytes. A crowd of a thousand characters is twenty thousand
/// nodes of about a kilobyte that every frame's update walks; on 4 KiB pages their address
/// translations no longer fit the processor's TLB and cost more than the data itself.
///
/// Freed node memory goes back to its size class for the next node of that size, never to the
/// system: the process keeps the most it ever held at once. Sizes above 4 KiB, and every node in
/// sanitizer builds (so that they check node memory as any other), come from the ordinary heap.
/// Safe to call from any thread.
#pragma once

#include <cstddef>

namespace orix {

/// Memory for one node of `size` bytes (throws std::bad_alloc as operator new does).
void* AllocateNodeMemory(std::size_t size);
/// Gives back what AllocateNodeMemory gave for the same size; null is ignored.
void FreeNodeMemory(void* memory, std::size_t size);

}  // namespace orix
