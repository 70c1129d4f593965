#pragma once

namespace zr5 {

// The version of the programs, set once in the top-level CMakeLists.txt ("6.12").
const char* ProgramVersion();

} // namespace zr5
