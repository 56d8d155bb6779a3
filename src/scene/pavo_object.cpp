#include "scene/pavo_object.h"

#include <algorithm>

#include "device/engine.h"
#include "device/globals.h"
#include "math/types.h"

namespace orix {

namespace {
// An engine not yet set up has scales of 0; dividing by them in GetX would give infinities.
float UsableScale(float s) {
    return s > 0.0f ? s : 1.0f;
}
float StepFactor(bool perFrameStep) {
    return perFrameStep ? frameStep : 1.0f;
}
}  // namespace

float OverlayScaleX() {
    return theEngine ? UsableScale(theEngine->scaleX) : 1.0f;
}
float OverlayScaleY() {
    return theEngine ? UsableScale(theEngine->scaleY) : 1.0f;
}

PavoObject::~PavoObject() {
    if (parent) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    for (PavoObject* child : children) child->parent = nullptr;
}

void PavoObject::Add(PavoObject* child) {
    if (!child || child == this) return;
    if (child->parent) {
        auto& old = child->parent->children;
        old.erase(std::remove(old.begin(), old.end(), child), old.end());
    }
    children.push_back(child);
    child->parent = this;
}

void PavoObject::UpdateChildren(uint32_t flags) {
    for (PavoObject* child : children) child->Update(flags);
}

void PavoObject::Rotate(float delta, bool perFrameStep) {
    angle += delta * StepFactor(perFrameStep);
}

void PavoObject::MoveX(float dx, bool perFrameStep) {
    x += dx * OverlayScaleX() * StepFactor(perFrameStep);
}

void PavoObject::MoveY(float dy, bool perFrameStep) {
    y += dy * OverlayScaleY() * StepFactor(perFrameStep);
}

void PavoObject::SetPosition(float newX, float newY) {
    x = newX * OverlayScaleX();
    y = newY * OverlayScaleY();
}

float PavoObject::GetX() const {
    return x / OverlayScaleX();
}
float PavoObject::GetY() const {
    return y / OverlayScaleY();
}

void PavoObject::UpdateTransform() {
    if (angularVelocity != 0.0f) Rotate(angularVelocity, true);
    if (velocityX != 0.0f) MoveX(velocityX, true);
    if (velocityY != 0.0f) MoveY(velocityY, true);
    local = Matrix3::Rotation(angle);
    local.m[2][0] = x;
    local.m[2][1] = y;
    world = parent ? local * parent->world : local;
}

void PavoObject::Update(uint32_t flags) {
    if (flags & kUpdateAnimate) UpdateTransform();
    if (flags & kUpdateChildren) UpdateChildren(flags);
}

}  // namespace orix
