/// \file
/// FrameNode: what the engine's render pass updates once per frame, the scene root (flags 15)
/// and the overlay list (flags 255). The scene and overlay classes derive from it, so the engine
/// reaches them without depending on the folders above it.
///
/// Depends on nothing. Single-threaded.
#pragma once

#include <cstdint>

namespace orix {

class FrameNode {
public:
    virtual ~FrameNode() = default;
    /// Updates and draws this node (and what it holds) with the given UpdateFlags bits.
    virtual void Update(uint32_t flags) = 0;
};

}  // namespace orix
