#include "gif.h"
#include "gif_player.h"

#include <QtTest>

// Reads the two public GIF suites and compares with their reference frames
// wherever our rules and the suites' renderers agree. Their renderers start
// from a transparent canvas; ours starts from the box colour, so a transparent
// reference pixel is expected to show the box colour.

using Pixels = QList<quint32>;

namespace {

constexpr quint32 kBox = 0xff'f0f0f0u;
const QString kPygif = QStringLiteral(CORPUS_DIR "/gif-suite/pygif/");
const QString kPeterdn = QStringLiteral(CORPUS_DIR "/gif-suite/peterdn/gifs/");

// The cases where we differ from the suite's reference on purpose, with the
// rule that makes the difference.
const QHash<QString, QString> &differences()
{
    static const QHash<QString, QString> table{
        // pygif
        {"no-data", "a GIF without any image is no picture; the reference shows an empty canvas"},
        {"invalid-colors", "an index past the colour table is opaque black; the reference rejects the file"},
        {"invalid-code", "corrupt LZW data keeps the pixels decoded before it; the reference rejects the file"},
        {"overflow-codes", "an LZW code size of 12 or more decodes no pixels but keeps the frame; the reference "
                           "rejects the file"},
        {"overflow-codes-max", "an LZW code size of 12 or more decodes no pixels but keeps the frame; the reference "
                               "rejects the file"},
        {"plain-text", "plain-text extensions are skipped, so the image is shown; the reference rejects the file"},
        {"image-zero-width", "a single image is a still picture covering the screen with the background colour"},
        {"image-zero-height", "a single image is a still picture covering the screen with the background colour"},
        {"image-zero-size", "a single image is a still picture covering the screen with the background colour"},
        {"image-inside-bg", "a single image is a still picture at the top-left, whatever its offset; the rest "
                            "shows the background colour"},
        {"image-overlap-bg", "a single image is a still picture at the top-left, whatever its offset; the rest "
                             "shows the background colour"},
        {"image-outside-bg", "a single image is a still picture at the top-left, whatever its offset; the rest "
                             "shows the background colour"},
        {"missing-pixels", "a still picture shows the background colour where pixels are missing"},
        {"transparent", "a single image is a still picture drawn opaque, its transparent index in its stored colour"},
        {"max-width", "pictures over 16384 pixels on a side are refused"},
        {"max-height", "pictures over 16384 pixels on a side are refused"},
        // peterdn
        {"static_transparent", "a single image is a still picture drawn opaque, its transparent index in its "
                               "stored colour"},
        {"animated_transparent_frame_restorebackground_loop", "disposal 2 puts back what was under the frame, like "
                                                              "disposal 3"},
        {"animated_transparent_loop", "disposal 2 puts back what was under the frame, like disposal 3"},
    };
    return table;
}

// Cases whose reference shows several images as one frame (images without a
// delay of their own are merged). Every image is a frame of its own here, so
// the reference frames must appear among ours, in order, ending with our last.
const QSet<QString> &mergedByReference()
{
    static const QSet<QString> names{"images-combine", "images-overlap", "high-color", "dispose-restore-previous",
                                     "animation-multi-image", "animation-multi-image-explicit-zero-delay"};
    return names;
}

pictures::Bytes spanOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A reference frame as box-coloured ARGB pixels.
Pixels referencePixels(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    Pixels pixels;
    for (int y = 0; y < argb.height(); ++y) {
        const auto *row = reinterpret_cast<const quint32 *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            pixels.append((row[x] >> 24) == 0 ? kBox : row[x]);
    }
    return pixels;
}

// Raw RGBA bytes as in the pygif suite.
Pixels referencePixels(const QByteArray &rgba)
{
    Pixels pixels;
    for (qsizetype i = 0; i + 3 < rgba.size(); i += 4) {
        const auto byte = [&](qsizetype offset) { return quint32(quint8(rgba[i + offset])); };
        pixels.append(byte(3) == 0 ? kBox : (byte(3) << 24) | (byte(0) << 16) | (byte(1) << 8) | byte(2));
    }
    return pixels;
}

// What a box shows for the bytes, frame by frame over one pass; empty for no picture.
QList<Pixels> ourFrames(const QByteArray &bytes)
{
    const auto gif = pictures::decodeGif(spanOf(bytes));
    if (!gif)
        return {};
    if (!gif->animation)
        return {Pixels(gif->still.pixels.begin(), gif->still.pixels.end())};
    auto player = pictures::GifPlayer::create(gif->animation, kBox);
    QList<Pixels> frames;
    for (std::size_t i = 0; i < gif->animation->frames.size(); ++i) {
        player->advance();
        frames.append(Pixels(player->canvas().pixels.begin(), player->canvas().pixels.end()));
    }
    return frames;
}

// Where two frame lists part, for the failure message; empty when they agree.
QString firstDifference(const QList<Pixels> &ours, const QList<Pixels> &reference)
{
    if (ours.size() != reference.size())
        return QStringLiteral("%1 frames, the reference has %2").arg(ours.size()).arg(reference.size());
    for (qsizetype frame = 0; frame < ours.size(); ++frame) {
        if (ours[frame].size() != reference[frame].size())
            return QStringLiteral("frame %1 has %2 pixels, the reference %3")
                .arg(frame).arg(ours[frame].size()).arg(reference[frame].size());
        for (qsizetype i = 0; i < ours[frame].size(); ++i) {
            if (ours[frame][i] != reference[frame][i])
                return QStringLiteral("frame %1 pixel %2: %3, the reference %4")
                    .arg(frame).arg(i).arg(ours[frame][i], 8, 16).arg(reference[frame][i], 8, 16);
        }
    }
    return {};
}

void checkAgainstReference(const QString &name, const QList<Pixels> &ours, const QList<Pixels> &reference)
{
    if (mergedByReference().contains(name)) {
        QVERIFY(!reference.isEmpty() && ours.size() > reference.size());
        QCOMPARE(ours.last(), reference.last());
        qsizetype matched = 0;
        for (const Pixels &frame : ours) {
            if (matched < reference.size() && frame == reference[matched])
                ++matched;
        }
        QCOMPARE(matched, reference.size());
        return;
    }
    const QString difference = firstDifference(ours, reference);
    if (differences().contains(name)) {
        QVERIFY2(!difference.isEmpty(), "agrees with the reference now: drop it from the table of differences");
        return;
    }
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

} // namespace

class TestGifConformance : public QObject {
    Q_OBJECT
private slots:
    void pygif_data();
    void pygif();
    void peterdn_data();
    void peterdn();
};

void TestGifConformance::pygif_data()
{
    QTest::addColumn<QString>("name");
    const QStringList names = QString::fromLatin1(readFile(kPygif + "TESTS")).split('\n', Qt::SkipEmptyParts);
    QVERIFY(!names.isEmpty());
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << name.trimmed();
}

void TestGifConformance::pygif()
{
    QFETCH(QString, name);
    const QSettings conf(kPygif + name + ".conf", QSettings::IniFormat);
    QList<Pixels> reference;
    const QStringList frames = conf.value("config/frames").toStringList();
    for (const QString &frame : frames) {
        if (frame.trimmed().isEmpty())
            continue;
        const QString rgba = conf.value(frame.trimmed() + "/pixels").toString();
        reference.append(rgba.isEmpty() ? referencePixels(QImage(kPygif + conf.value(frame.trimmed() + "/image").toString()))
                                        : referencePixels(readFile(kPygif + rgba)));
    }
    checkAgainstReference(name, ourFrames(readFile(kPygif + conf.value("config/input").toString())), reference);
}

void TestGifConformance::peterdn_data()
{
    QTest::addColumn<QString>("name");
    const QStringList files = QDir(kPeterdn).entryList({"*.gif"}, QDir::Files, QDir::Name);
    QVERIFY(!files.isEmpty());
    for (const QString &file : files)
        QTest::newRow(qPrintable(file)) << file.chopped(4);
}

void TestGifConformance::peterdn()
{
    QFETCH(QString, name);
    QList<Pixels> reference;
    if (QFile::exists(kPeterdn + "frames/" + name + ".png"))
        reference.append(referencePixels(QImage(kPeterdn + "frames/" + name + ".png")));
    for (int frame = 0; QFile::exists(kPeterdn + QStringLiteral("frames/%1-%2.png").arg(name).arg(frame)); ++frame)
        reference.append(referencePixels(QImage(kPeterdn + QStringLiteral("frames/%1-%2.png").arg(name).arg(frame))));
    QVERIFY(!reference.isEmpty());
    checkAgainstReference(name, ourFrames(readFile(kPeterdn + name + ".gif")), reference);
}

QTEST_GUILESS_MAIN(TestGifConformance)
#include "test_gif_conformance.moc"
