#include "app/RegularFile.h"

#include "app/L10n.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tarnwick {

namespace {

QString systemMessage(int error) {
    return QString::fromLocal8Bit(std::generic_category().message(error));
}

RegularFile unreadable(QString problem) {
    return RegularFile{RegularFile::Outcome::Unreadable, {}, std::move(problem)};
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

QString tooLarge(qint64 maxBytes) {
    return L10n::format(QStringLiteral("file.tooLarge"),
                        QString::number(maxBytes / 1024) + QStringLiteral(" KiB"));
}

} // namespace

RegularFile RegularFile::read(const QString& path, qint64 maxBytes) {
    const QByteArray native = QFile::encodeName(path);
    const Descriptor fd(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) { // nothing there to keep
            return RegularFile{Outcome::Missing, {}, {}};
        }
        return unreadable(systemMessage(error));
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        return unreadable(systemMessage(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        return unreadable(L10n::string(QStringLiteral("file.notRegular")));
    }
    if (info.st_size > maxBytes) {
        return unreadable(tooLarge(maxBytes));
    }
    // The size may change while we read: read one byte past the cap to notice.
    QByteArray content(static_cast<qsizetype>(info.st_size) + 1, Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == content.size()) {
            if (used > maxBytes) {
                return unreadable(tooLarge(maxBytes));
            }
            content.resize(std::min<qsizetype>(used * 2 + 4096, maxBytes + 1));
        }
        const ssize_t n = ::read(fd.get(), content.data() + used, content.size() - used);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return unreadable(systemMessage(errno));
        }
        if (n == 0) {
            break;
        }
        used += n;
    }
    content.truncate(used);
    return RegularFile{Outcome::Read, std::move(content), {}};
}

std::optional<FileStamp> FileStamp::of(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    const auto ns = [](const timespec& t) { return t.tv_sec * 1000000000LL + t.tv_nsec; };
    return FileStamp{info.st_dev, info.st_ino, info.st_size, ns(info.st_mtim), ns(info.st_ctim)};
}

} // namespace tarnwick
