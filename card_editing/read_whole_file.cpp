#include "read_whole_file.h"

#include "system_values.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace card_editing {

namespace {

// Lengths are taken as a signed 32-bit count; larger files are not read.
constexpr qint64 kLengthLimit = qint64(1) << 31;

bool isReadableLength(qint64 length)
{
    return length > 0 && length < kLengthLimit;
}

class Descriptor {
public:
    explicit Descriptor(int descriptor) : m_descriptor(descriptor) {}
    ~Descriptor()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_descriptor; }

private:
    int m_descriptor;
};

int openForReading(const char *path)
{
    // Non-blocking so that a FIFO without a writer does not hold the open;
    // no controlling terminal is taken if the path names one.
    int descriptor;
    do {
        descriptor = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

// Reads until length bytes are in or the file ends early; the count read, or
// -1 on an error.
qint64 readFully(int descriptor, char *buffer, qint64 length)
{
    qint64 done = 0;
    while (done < length) {
        const ssize_t got = ::read(descriptor, buffer + done, size_t(length - done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

} // namespace

QByteArray readWholeFile(const QString &path)
{
    const QByteArray encodedPath = QFile::encodeName(path);
    // A zero inside the name would make the system open a shorter name.
    if (encodedPath.isEmpty() || encodedPath.contains('\0'))
        return {};

    // Opening a device can have effects of its own (a tape rewinds), so only
    // names that look like regular files are opened at all; the type is
    // checked again on the descriptor, since the name may change in between.
    struct stat status;
    if (::stat(encodedPath.constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return {};

    const Descriptor file(openForReading(encodedPath.constData()));
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return {};
    const qint64 length = status.st_size;
    if (!isReadableLength(length))
        return {};
    // Regular files read the same either way; blocking reads keep the loop
    // free of EAGAIN on file systems that honour the flag.
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return {};

    QByteArray buffer;
    try {
        buffer.resize(qsizetype(length));
    } catch (const std::bad_alloc &) {
        return {};
    }
    const qint64 got = readFully(file.get(), buffer.data(), length);
    if (got <= 0)
        return {};
    return shell::copyBytes(QByteArrayView(buffer.constData(), qsizetype(got)));
}

} // namespace card_editing
