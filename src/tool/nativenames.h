#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "model/result.h"

namespace zr5::tool {

// File names whose bytes are no UTF-8 text (a Latin-1 name copied from an older system). Qt
// decodes such bytes as replacement characters and would open or create another name, so each one
// is reached under a name Qt can carry: an existing folder through its open descriptor, a file
// through a hard link with a UTF-8 name beside it. When the command is done, a link that the
// command replaced takes the original name's place (as one rename, so the name holds the old or
// the new content, never a part), and every other link goes away.
class RawNames {
public:
    RawNames() = default;
    ~RawNames();
    RawNames(const RawNames&) = delete;
    RawNames& operator=(const RawNames&) = delete;

    // True when Qt carries the bytes unchanged.
    static bool Representable(const QByteArray& raw);
    // The bytes as a message shows them: escapes for the bytes that are no text ("caf\xe9.MTR").
    static QString Shown(const QByteArray& raw);

    // The name to hand to the command for these bytes; fails when the name cannot be reached.
    Result<QString> alias(const QByteArray& raw);
    // Puts what the command wrote under the original names and removes the links; fails with why
    // a file the command wrote could not take its name (it then keeps the link's name).
    Status finish();
    // Text with every alias replaced by the name the user gave.
    QString shown(QString text) const;

private:
    struct Alias {
        int folder = -1; // descriptor of the name's folder, or of the folder itself
        QByteArray name; // the name in its folder; empty: the folder itself
        QByteArray link; // the link's name in the same folder
        QString path;    // what the command gets
        QString shown;   // what messages show
    };
    std::vector<Alias> aliases_;
};

} // namespace zr5::tool
