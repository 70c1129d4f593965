#pragma once

namespace zr5 {

// The program's version, as the about box and the printed pages show it ("6.12").
const char* ProgramVersion();

} // namespace zr5
