#include "model/version.h"

namespace zr5 {

const char* ProgramVersion() {
    return ZR5_VERSION;
}

} // namespace zr5
