// What the two halves of OrixFileBne share: construction and the closing of open files.
#include "modelfile/orix_file_bne.h"

namespace orix {

OrixFileBne::OrixFileBne() = default;

OrixFileBne::~OrixFileBne() {
    CloseOutput();
}

}  // namespace orix
