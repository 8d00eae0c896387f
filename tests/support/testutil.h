#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Helpers shared by the tests: temporary folders, small files, raw bytes.
namespace testutil
{

// Writes bytes to path (creating parent folders); fails the test on error.
bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// The absolute path of a file below the source tree (fixtures).
QString sourcePath(const QString &relative);

} // namespace testutil
