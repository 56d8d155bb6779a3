// orixapp: the demonstration. Reads no command line; runs until its window is closed.
#include "app/program.h"

int main() {
    return orix::ProgramMain();
}
