#pragma once

#include <QString>

#include "model/result.h"

namespace zr5 {

// True when both paths name one existing file (after links and "." and ".." are resolved).
bool IsSameFile(const QString& a, const QString& b);

// Copies source to target byte for byte, replacing an existing target. The target is replaced
// only once the whole copy is written, so a failing copy leaves the old target as it was.
// Copying a file onto itself copies nothing. Fails with a message that names the files and the
// reason.
Status FileCopy(const QString& source, const QString& target);

} // namespace zr5
