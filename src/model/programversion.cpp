#include "model/programversion.h"

#include <cstdio>
#include <cstring>

namespace zr5 {

const char* ProgramVersion() {
    return ZR5_VERSION;
}

bool PrintVersionIfAsked(int argc, char** argv, const char* programName) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s\n", programName, ProgramVersion());
            return true;
        }
    return false;
}

} // namespace zr5
