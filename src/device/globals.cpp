#include "device/globals.h"

namespace orix {

Engine* theEngine = nullptr;
Scene* currentScene = nullptr;
float frameStep = 0.0f;
std::FILE* logFile = nullptr;

}  // namespace orix
