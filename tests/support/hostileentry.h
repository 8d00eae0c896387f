#pragma once

#include <QString>

// What a Linux folder may hold where the program expects a plain file, made by a test in a
// temporary folder of its own: a link to a file outside the tree, a link to a device, a
// dangling link, a FIFO. The file and the device the links lead to lie in an "outside"
// folder beside, so that a test can tell that nothing was written through a link.
class HostileEntry
{
public:
    enum Kind { LinkOutside, LinkToDevice, DanglingLink, Fifo };

    // outside: the folder for what the links lead to (made when missing).
    explicit HostileEntry(const QString &outside);

    // Puts kind at path, its folder made when missing.
    bool make(Kind kind, const QString &path) const;
    // True when what the links lead to is as make() left it: the file's bytes, the device a
    // device.
    bool outsideIntact() const;
    // True when path is still what make() put there.
    static bool stillThere(Kind kind, const QString &path);

    static QByteArray outsideBytes() { return "outside the tree\n"; }

private:
    QString m_outside;
    QString m_device;
};
