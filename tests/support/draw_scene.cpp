#include "support/draw_scene.h"

#include <cstdio>

#include "device/globals.h"
#include "math/vertex.h"

namespace orix {

OffscreenDevice MakeOffscreenDevice(uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
    OffscreenDevice out;
    DisplayConfig config;
    config.width = width;
    config.height = height;
    config.bitsPerPixel = bitsPerPixel;
    config.mode = DisplayMode::Offscreen;
    std::string error;
    out.display = OpenDisplay(config, &error);
    if (!out.display) {
        std::fprintf(stderr, "offscreen display: %s\n", error.c_str());
        return out;
    }
    out.device = CreateGraphicsDevice(*out.display, false, &error);
    if (!out.device) {
        std::fprintf(stderr, "offscreen device: %s\n", error.c_str());
        out.display.reset();
    }
    return out;
}

void DrawProbe::Update(uint32_t flags) {
    SceneObject::Update(flags & kUpdateAnimate);
    GraphicsDevice* device = theEngine ? theEngine->device : nullptr;
    if ((flags & kUpdateDraw) && device) {
        ApplyWorldTransform();
        float h = size * 0.5f;
        const float corners[6][2] = {{-h, -h}, {-h, h}, {h, h}, {-h, -h}, {h, h}, {h, -h}};
        Vertex v[6];
        LVertex lit[6];
        for (int i = 0; i < 6; ++i) {
            v[i].x = lit[i].x = corners[i][0];
            v[i].y = lit[i].y = corners[i][1];
            v[i].nz = -1;
            lit[i].color = color;
        }
        if (unlit)
            device->DrawPrimitive(PRIM_TRIANGLELIST, VT_VERTEX, v, 6, 0);
        else
            device->DrawPrimitive(PRIM_TRIANGLELIST, VT_LVERTEX, lit, 6, 0);
    }
    if (flags & kUpdateChildren) UpdateChildren(flags);
}

DrawScene::DrawScene() {
    offscreen = MakeOffscreenDevice(640, 480, 32);
    if (!offscreen.device) return;
    device = offscreen.device.get();
    engine = std::make_unique<Engine>(clock, device);
    theEngine = engine.get();
    frameStep = 1.0f;
    engine->backgroundMaterial = device->CreateMaterial();
    engine->backgroundMaterialHandle = engine->backgroundMaterial;
    device->SetBackground(engine->backgroundMaterial);
    SetBackground(0, 0, 0);
    device->SetRenderState(RS_CULLMODE, CULL_NONE);
    scene = std::make_unique<Scene>(engine.get());
    currentScene = scene.get();
    camera = std::make_unique<Camera>(Vector3{0, 0, -100}, Vector3{0, 0, 0}, Vector3{0, 1, 0});
    camera->motionMode = MotionMode::Fixed;
    scene->AddChild(camera.get());
    scene->SetCamera(camera.get());
    ok = true;
}

DrawScene::~DrawScene() {
    if (scene) scene->children.clear();
    camera.reset();
    scene.reset();
    engine.reset();
    theEngine = nullptr;
    currentScene = nullptr;
    frameStep = 0.0f;
}

void DrawScene::SetBackground(float r, float g, float b) {
    MaterialRecord m;
    m.diffuse = ColorValue{r, g, b, 1.0f};
    device->SetMaterial(engine->backgroundMaterial, m);
}

uint32_t DrawScene::Pixel(uint32_t x, uint32_t y) {
    FrameImage image;
    if (!device->ReadFrame(&image)) return 0xFFFFFFFFu;
    return image.Rgb(x, y);
}

}  // namespace orix
