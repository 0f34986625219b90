// PDF files made to hurt a reader: page counts that lie, loops through parents, kids, outlines, fields,
// replies and name trees, objects that contain themselves, absurd nesting, broken cross-references, bad
// compressed data and damaged encrypted files. Each is small and made on demand.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace fixtures {

struct HostileFile {
    QString name;
    QByteArray bytes;
    QString password; // opens it, when it is encrypted
};

// `encrypt` turns plain bytes into an encrypted file with the given password (the generator cannot encrypt
// on its own); the damaged encrypted cases are left out when it is null.
std::vector<HostileFile> hostileFiles(QByteArray (*encrypt)(const QByteArray& plain,
                                                            const QString& password));

} // namespace fixtures
