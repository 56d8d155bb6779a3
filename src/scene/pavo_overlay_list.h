/// \file
/// PavoOverlayList: the root of the 2D overlay tree, drawn by the engine after the 3D scene each
/// frame. Constructing it links it to the engine as the overlays to draw; destroying it unlinks
/// it. It has no transform or visibility of its own.
///
/// Depends on PavoObject and the engine. Single-threaded.
#pragma once

#include <cstdint>

#include "scene/pavo_object.h"

namespace orix {

class Engine;

class PavoOverlayList : public PavoObject {
public:
    explicit PavoOverlayList(Engine& engine);
    ~PavoOverlayList() override;

    /// UpdateChildren(flags).
    void Update(uint32_t flags) override;

private:
    Engine& engine_;
};

}  // namespace orix
