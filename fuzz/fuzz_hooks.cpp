// Shared by every fuzz target and its replay: messages are dropped and the program-exit hook
// returns, so a texture that cannot be loaded fails the load instead of ending the run.
#include <string>

#include "platform/messages.h"

namespace {

void DropMessage(const std::string&, const std::string&) {}
void IgnoreExit(int) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orix::SetMessageBoxHook(DropMessage);
    orix::SetExitHook(IgnoreExit);
    return 0;
}
