#pragma once

namespace zr5 {

// The version of the programs, set once in the top-level CMakeLists.txt ("6.12").
const char* ProgramVersion();

// Every program answers `--version` with "NAME VERSION" before it needs anything else, so that
// `zr5 --version` works without a display. Returns true when it printed the version.
bool PrintVersionIfAsked(int argc, char** argv, const char* programName);

} // namespace zr5
