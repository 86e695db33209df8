#include "read_whole_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using card_editing::readWholeFile;

namespace {

// Longer than any read of a regular file here; a blocked open exceeds it.
constexpr auto kAtOnce = std::chrono::seconds(2);

QByteArray sampleBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int index = 0; index < size; ++index)
        bytes[index] = char((index * 7919) >> 3);
    return bytes;
}

} // namespace

class TestReadWholeFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readsOnlyWholeRegularFiles_data();
    void readsOnlyWholeRegularFiles();

private:
    void writeFile(const QString &name, const QByteArray &bytes);
    // A path reaching target (an absolute path) by climbing from the fixture
    // folder with "..".
    QString climbTo(const QString &target) const;

    QTemporaryDir m_dir;
};

void TestReadWholeFile::writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(m_dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QString TestReadWholeFile::climbTo(const QString &target) const
{
    const int depth = int(QDir::cleanPath(m_dir.path()).count(u'/'));
    return m_dir.path() + u"/.."_qs.repeated(depth) + target;
}

void TestReadWholeFile::initTestCase()
{
    QVERIFY(m_dir.isValid());
    writeFile(u"normal.bin"_qs, sampleBytes(70000));
    writeFile(u"zero.bin"_qs, {});
    writeFile(u"unreadable.bin"_qs, sampleBytes(16));
    QVERIFY(QFile::setPermissions(m_dir.filePath(u"unreadable.bin"_qs), {}));
    QVERIFY(QDir(m_dir.path()).mkdir(u"folder"_qs));
    QCOMPARE(::mkfifo(QFile::encodeName(m_dir.filePath(u"fifo"_qs)).constData(), 0600), 0);

    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(listener >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(m_dir.filePath(u"socket"_qs));
    QVERIFY(socketPath.size() < qsizetype(sizeof(address.sun_path)));
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    QCOMPARE(::bind(listener, reinterpret_cast<const sockaddr *>(&address), sizeof(address)), 0);
    ::close(listener);

    // Sparse, so it costs no disk space.
    QFile huge(m_dir.filePath(u"huge.bin"_qs));
    QVERIFY(huge.open(QIODevice::WriteOnly));
    QVERIFY(huge.resize(qint64(1) << 31));
}

void TestReadWholeFile::readsOnlyWholeRegularFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("normal file") << m_dir.filePath(u"normal.bin"_qs) << sampleBytes(70000);
    QTest::newRow("zero-byte file") << m_dir.filePath(u"zero.bin"_qs) << QByteArray();
    QTest::newRow("missing file") << m_dir.filePath(u"missing.bin"_qs) << QByteArray();
    QTest::newRow("missing folder") << m_dir.filePath(u"missing/normal.bin"_qs) << QByteArray();
    QTest::newRow("file used as a folder") << m_dir.filePath(u"normal.bin/"_qs) << QByteArray();
    QTest::newRow("directory") << m_dir.filePath(u"folder"_qs) << QByteArray();
    QTest::newRow("directory with separator") << m_dir.path() + u'/' << QByteArray();
    // Permission bits do not stop root, so root gets a file the kernel
    // refuses to let anyone read instead.
    QTest::newRow("unreadable file")
        << (::geteuid() == 0 ? u"/proc/sys/vm/drop_caches"_qs : m_dir.filePath(u"unreadable.bin"_qs))
        << QByteArray();
    QTest::newRow("FIFO without a writer") << m_dir.filePath(u"fifo"_qs) << QByteArray();
    QTest::newRow("socket") << m_dir.filePath(u"socket"_qs) << QByteArray();
    QTest::newRow("/dev/zero through ..") << climbTo(u"/dev/zero"_qs) << QByteArray();
    QTest::newRow("2 GiB file") << m_dir.filePath(u"huge.bin"_qs) << QByteArray();
    QTest::newRow("zero inside the name") << m_dir.filePath(u"normal.bin\0.txt"_qs) << QByteArray();
    QTest::newRow("empty path") << QString() << QByteArray();
}

void TestReadWholeFile::readsOnlyWholeRegularFiles()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, expected);

    // Read on a thread so that a blocked open fails the row instead of
    // hanging the suite; opening the FIFO for writing releases such a reader.
    std::future<QByteArray> read = std::async(std::launch::async, [path] { return readWholeFile(path); });
    if (read.wait_for(kAtOnce) == std::future_status::timeout) {
        const int writer = ::open(QFile::encodeName(m_dir.filePath(u"fifo"_qs)).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        QFAIL("the read did not return at once");
    }
    QCOMPARE(read.get(), expected);
}

QTEST_GUILESS_MAIN(TestReadWholeFile)
#include "test_read_whole_file.moc"
