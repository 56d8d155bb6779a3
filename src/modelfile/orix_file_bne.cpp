// What the two halves of OrixFileBne share: construction and destruction.
#include "modelfile/orix_file_bne.h"

namespace orix {

OrixFileBne::OrixFileBne() {
    ResetReader();
}

OrixFileBne::OrixFileBne(Mesh* target) {
    ResetReader();
    target_ = target ? Target::Mesh : Target::None;
    targetMesh_ = target;
}

OrixFileBne::OrixFileBne(SkinnedCharacter* target) {
    ResetReader();
    target_ = target ? Target::Character : Target::None;
    targetCharacter_ = target;
}

OrixFileBne::~OrixFileBne() {
    CloseOutput();
}

}  // namespace orix
