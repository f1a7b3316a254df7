#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/types.h>

namespace tarnwick {

// A small file read whole, and only if it is a regular file no larger than
// the cap: a FIFO, a device, a directory or a huge file neither blocks nor
// fills memory. The file is opened non-blocking and checked on the opened
// descriptor, so it cannot be swapped between the check and the read.
struct RegularFile {
    enum class Outcome { Read, Missing, Unreadable };
    Outcome outcome = Outcome::Missing;
    QByteArray content; // when Read
    QString problem;    // when Unreadable: why, for a person

    static RegularFile read(const QString& path, qint64 maxBytes);
};

// What identifies one version of a file; a rewrite, a replacement or a touch
// changes it. Absent when the path names nothing.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedNs = 0;
    long long changedNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;

    static std::optional<FileStamp> of(const QString& path);
};

} // namespace tarnwick
