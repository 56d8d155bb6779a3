// What the two halves of OrixFileBne share: construction and destruction.
#include "modelfile/orix_file_bne.h"

namespace orix {

OrixFileBne::OrixFileBne() = default;

OrixFileBne::OrixFileBne(Mesh* target) {
    if (target) builder_.SetTarget(target);
}

OrixFileBne::OrixFileBne(SkinnedCharacter* target) {
    if (target) builder_.SetTarget(target);
}

OrixFileBne::~OrixFileBne() {
    CloseOutput();
}

}  // namespace orix
