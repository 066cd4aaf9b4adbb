#include "contract/design.h"

#include "contract/runtime_error.h"

namespace design {

const ControlDesign& of(Control id) {
    for (const auto& control : kControls) {
        if (control.id == id) return control;
    }
    throw RuntimeError("no design entry for this control");
}

bool takesFocus(Kind kind) {
    return kind != Kind::Label && kind != Kind::Frame && kind != Kind::Timer;
}

}  // namespace design
