// The orix tool's commands: each takes the arguments after its own name and returns the exit
// status. Add a command by writing its function and one line in the table in orix_main.cpp.
#pragma once

namespace orix {

// orix device [list | set N | forget]: the display driver the demo renders with.
int DeviceCommand(int argc, char** argv);
// orix render [--frames N] [--step-ms MS] [--out DIR] [--every K] [--size WxH] [--res DIR]
// [--scene demo|fountain]: the demonstration (or the fountain) offscreen with a fixed frame
// step, frames as PNG, the real frame rate.
int RenderCommand(int argc, char** argv);

}  // namespace orix
