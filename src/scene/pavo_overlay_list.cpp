#include "scene/pavo_overlay_list.h"

#include "device/engine.h"

namespace orix {

PavoOverlayList::PavoOverlayList(Engine& engine) : engine_(engine) {
    engine_.LinkOverlays(this);
}

PavoOverlayList::~PavoOverlayList() {
    // The engine must not draw a list that is gone.
    if (engine_.overlays == this) engine_.LinkOverlays(nullptr);
}

void PavoOverlayList::Update(uint32_t flags) {
    UpdateChildren(flags);
}

}  // namespace orix
