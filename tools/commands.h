// The orix tool's commands: each takes the arguments after its own name and returns the exit
// status. Add a command by writing its function and one line in the table in orix_main.cpp.
#pragma once

namespace orix {

// orix device [list | set N | forget]: the display driver the demo renders with.
int DeviceCommand(int argc, char** argv);

}  // namespace orix
