#include "model/programversion.h"

namespace zr5 {

const char* ProgramVersion() {
    return ZR5_VERSION;
}

} // namespace zr5
