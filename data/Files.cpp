#include "data/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString nativeName(const QString& path) { return QDir::toNativeSeparators(path); }

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

// A write that fails with errno and removes what it began.
struct Output {
    QString path;
    QString shown;  // the name messages give, when not `path`
    int fd = -1;
    int openError = 0;
    ~Output()
    {
        if (fd >= 0) {
            ::close(fd);
            QFile::remove(path);
        }
    }
    bool open(QString* error)
    {
        fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            openError = errno;
            return fail(
                error,
                fileFailure(openError, QStringLiteral("无法写入“%1”").arg(nativeName(shown.isEmpty() ? path : shown))));
        }
        return true;
    }
    bool write(const char* data, qint64 size, QString* error)
    {
        while (size > 0) {
            const ssize_t n = ::write(fd, data, size_t(size));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return fail(
                    error, fileFailure(n < 0 ? errno : ENOSPC,
                                       QStringLiteral("无法写入“%1”").arg(nativeName(shown.isEmpty() ? path : shown))));
            data += n;
            size -= n;
        }
        return true;
    }
    // Forces the file to the disk; the file stays.
    bool finish(QString* error)
    {
        const bool synced = ::fsync(fd) == 0;
        const int syncError = errno;
        const bool closed = ::close(fd) == 0;
        const int closeError = errno;
        fd = -1;
        if (!synced || !closed) {
            QFile::remove(path);
            return fail(error,
                        fileFailure(synced ? closeError : syncError,
                                    QStringLiteral("无法写入“%1”").arg(nativeName(shown.isEmpty() ? path : shown))));
        }
        return true;
    }
};

}  // namespace

QString fileProblem(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return QStringLiteral("磁盘空间不足");
    case EACCES:
    case EPERM:
    case EROFS: return QStringLiteral("没有写入权限");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("文件夹不存在");
    case EBUSY:
    case ETXTBSY:
    case EAGAIN: return QStringLiteral("文件正被其他程序使用");
    default: return QString();
    }
}

QString fileFailure(int errorNumber, const QString& what)
{
    const QString system = QStringLiteral("%1：%2").arg(what, QString::fromLocal8Bit(std::strerror(errorNumber)));
    const QString cause = fileProblem(errorNumber);
    return cause.isEmpty() ? system : cause + u'\n' + system;
}

QString withSuffix(const QString& chosen, const QString& suffix)
{
    return chosen.endsWith(suffix, Qt::CaseInsensitive) ? chosen : chosen + suffix;
}

bool renameOver(const QString& from, const QString& to, QString* error)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    return fail(error,
                fileFailure(errno, QStringLiteral("无法将“%1”改名为“%2”").arg(nativeName(from), nativeName(to))));
}

bool saveFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        return fail(error, fileFailure(ENOENT, QStringLiteral("无法写入“%1”").arg(nativeName(path))));
    Output out;
    out.shown = target.absoluteFilePath();
    // A name of its own beside the target, so a rename can put it in place.
    for (int i = 0;; ++i) {
        out.path
            = QStringLiteral("%1/.%2.%3-%4.part").arg(target.absolutePath(), target.fileName()).arg(::getpid()).arg(i);
        if (out.open(error))
            break;
        if (out.openError != EEXIST || i > 100)
            return false;
    }
    if (!out.write(bytes.constData(), bytes.size(), error) || !out.finish(error))
        return false;
    if (!renameOver(out.path, target.absoluteFilePath(), error)) {
        QFile::remove(out.path);
        return false;
    }
    return true;
}

bool copyFileSynced(const QString& from, const QString& to, QString* error, int fromFd)
{
    int in = fromFd;
    if (in < 0) {
        in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
        if (in < 0)
            return fail(error, fileFailure(errno, QStringLiteral("无法读取“%1”").arg(nativeName(from))));
    }
    struct Closer {
        int fd;
        bool own;
        ~Closer()
        {
            if (own)
                ::close(fd);
        }
    } closer{in, fromFd < 0};
    Output out;
    out.path = to;
    if (!out.open(error))
        return false;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(in, buffer.data(), size_t(buffer.size()), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(error, fileFailure(errno, QStringLiteral("无法读取“%1”").arg(nativeName(from))));
        if (n == 0)
            break;
        if (!out.write(buffer.constData(), n, error))
            return false;
        offset += n;
    }
    struct stat st {};
    if (::fstat(in, &st) == 0 && st.st_size != offset)
        return fail(error, QStringLiteral("复制“%1”失败：大小不一致").arg(nativeName(from)));
    return out.finish(error);
}
