#include "gif.h"
#include "gif_fixtures.h"
#include "gif_player.h"

#include <QtTest>

using namespace gif_fixtures;
using gif_writer::ControlBlock;
using gif_writer::Frame;
using gif_writer::Gif;
using Pixels = QList<quint32>;

namespace {

constexpr quint32 kOpaque = 0xff000000u;
constexpr quint32 R = kOpaque | kRed;
constexpr quint32 G = kOpaque | kGreen;
constexpr quint32 B = kOpaque | kBlue;
constexpr quint32 W = kOpaque | kWhite;
constexpr quint32 K = kOpaque | kBlack;
constexpr quint32 kBox = 0xff'f0f0f0u; // the picture box background in these tests
constexpr quint32 X = kBox;

pictures::Bytes spanOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

Pixels pixelsOf(const pictures::Image &image)
{
    return Pixels(image.pixels.begin(), image.pixels.end());
}

Frame frameAt(int left, int top, int width, int height, std::vector<std::uint8_t> indices,
              std::optional<ControlBlock> control = {})
{
    Frame frame;
    frame.left = left;
    frame.top = top;
    frame.width = width;
    frame.height = height;
    frame.indices = std::move(indices);
    frame.control = control;
    return frame;
}

// Composes one pass of the animation and returns the canvas after each frame.
QList<Pixels> playOnce(const QByteArray &bytes)
{
    auto gif = pictures::decodeGif(spanOf(bytes));
    if (!gif || !gif->animation)
        return {};
    auto player = pictures::GifPlayer::create(gif->animation, kBox);
    QList<Pixels> canvases;
    for (std::size_t i = 0; i < gif->animation->frames.size(); ++i) {
        player->advance();
        canvases.append(pixelsOf(player->canvas()));
    }
    return canvases;
}

// Patches one byte of a GIF built by gif_writer.
QByteArray withByte(QByteArray bytes, qsizetype offset, char value)
{
    bytes[offset] = value;
    return bytes;
}

} // namespace

class TestGifDecoder : public QObject {
    Q_OBJECT
private slots:
    void stillPicture_data();
    void stillPicture();
    void animationIsNotAStill();
    void composedCanvases_data();
    void composedCanvases();
    void loopRestoresUnderTheLastFrame();
    void frameDelays_data();
    void frameDelays();
    void endOfFrames_data();
    void endOfFrames();
    void hostileInput_data();
    void hostileInput();
    void truncatedAtEveryByte();
    void roundTripThroughQt();
};

void TestGifDecoder::stillPicture_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("width");
    QTest::addColumn<Pixels>("expected");

    QTest::newRow("solid") << bytesOf({2, 2, {kRed, kGreen}, 0, {frameAt(0, 0, 2, 2, {0, 1, 1, 0})}, true})
                           << 2 << Pixels{R, G, G, R};
    QTest::newRow("transparent index shows its stored colour")
        << bytesOf({2, 1, {kRed, kGreen}, 0, {frameAt(0, 0, 2, 1, {0, 1}, ControlBlock{0, true, 1, 0})}, true})
        << 2 << Pixels{R, G};

    Frame interlaced = frameAt(0, 0, 1, 9, {0, 1, 2, 3, 0, 1, 2, 3, 0});
    interlaced.interlaced = true;
    QTest::newRow("interlaced rows land in place")
        << bytesOf({1, 9, {kRed, kGreen, kBlue, kWhite}, 0, {interlaced}, true}) << 1
        << Pixels{R, G, B, W, R, G, B, W, R};

    Frame local = frameAt(0, 0, 2, 1, {0, 1});
    local.localPalette = {kBlue, kWhite};
    QTest::newRow("local table over the global one")
        << bytesOf({2, 1, {kRed, kGreen}, 0, {local}, true}) << 2 << Pixels{B, W};
    QTest::newRow("no table at all is black") << bytesOf({2, 1, {}, 0, {frameAt(0, 0, 2, 1, {0, 1})}, true})
                                              << 2 << Pixels{K, K};
    // A still picture ignores the offset of its image.
    QTest::newRow("offset frame sits at the top-left, the rest shows the screen background")
        << bytesOf({3, 2, {kRed, kGreen, kBlue}, 2, {frameAt(1, 1, 1, 1, {0})}, true}) << 3
        << Pixels{R, B, B, B, B, B};
    QTest::newRow("frame larger than the screen is clipped")
        << bytesOf({2, 2, {kRed, kGreen, kBlue}, 2, {frameAt(1, 1, 3, 3, {0, 1, 2, 1, 0, 2, 2, 2, 2})}, true}) << 2
        << Pixels{R, G, G, R};
    QTest::newRow("index past the table is black")
        << bytesOf({3, 1, {kRed, kGreen, kBlue}, 0, {frameAt(0, 0, 3, 1, {0, 3, 2})}, true}) << 3
        << Pixels{R, K, B};
    QTest::newRow("early end of data leaves the rest undrawn")
        << bytesOf({2, 2, {kRed, kGreen, kBlue}, 2, {frameAt(0, 0, 2, 2, {0, 1, 0})}, true}) << 2
        << Pixels{R, G, R, B};
    QTest::newRow("zero-size frame draws nothing")
        << bytesOf({2, 1, {kRed, kGreen}, 1, {frameAt(0, 0, 0, 1, {})}, true}) << 2 << Pixels{G, G};
    QTest::newRow("frame placed past the screen still shows")
        << bytesOf({2, 1, {kRed, kGreen}, 1, {frameAt(5, 0, 1, 1, {0})}, true}) << 2 << Pixels{R, G};
    QTest::newRow("data ends after the image, without a trailer")
        << bytesOf({2, 1, {kRed, kGreen}, 0, {frameAt(0, 0, 2, 1, {1, 0})}, false}) << 2 << Pixels{G, R};
}

void TestGifDecoder::stillPicture()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, width);
    QFETCH(Pixels, expected);

    const auto picture = pictures::decodePicture(spanOf(bytes));
    QVERIFY(picture);
    QCOMPARE(picture->format, pictures::PictureFormat::Gif);
    QVERIFY(!picture->animation);
    QCOMPARE(picture->image.width, width);
    QCOMPARE(pixelsOf(picture->image), expected);
}

void TestGifDecoder::animationIsNotAStill()
{
    const auto picture = pictures::decodePicture(spanOf(colourCycle(3, 10)));
    QVERIFY(picture);
    QVERIFY(picture->image.isNull());
    QVERIFY(picture->animation);
    QCOMPARE(picture->animation->frames.size(), std::size_t(3));
    QCOMPARE(picture->animation->screenWidth, 2);
}

void TestGifDecoder::composedCanvases_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<Pixels>>("canvases");

    // Screen 2x1; frame 1 fills it with red, frame 2 draws green on the left
    // pixel with the disposal under test, frame 3 draws blue on the right one.
    const auto disposalCase = [](int disposal) {
        return bytesOf({2, 1, {kRed, kGreen, kBlue}, 0,
                        {frameAt(0, 0, 2, 1, {0, 0}), frameAt(0, 0, 1, 1, {1}, ControlBlock{disposal, false, 0, 0}),
                         frameAt(1, 0, 1, 1, {2})},
                        true});
    };
    QTest::newRow("disposal 0 keeps the frame") << disposalCase(0) << QList<Pixels>{{R, R}, {G, R}, {G, B}};
    QTest::newRow("disposal 1 keeps the frame") << disposalCase(1) << QList<Pixels>{{R, R}, {G, R}, {G, B}};
    QTest::newRow("disposal 2 restores what was under it")
        << disposalCase(2) << QList<Pixels>{{R, R}, {G, R}, {R, B}};
    QTest::newRow("disposal 3 restores what was under it")
        << disposalCase(3) << QList<Pixels>{{R, R}, {G, R}, {R, B}};
    QTest::newRow("undefined disposal 5 keeps the frame") << disposalCase(5) << QList<Pixels>{{R, R}, {G, R}, {G, B}};

    QTest::newRow("canvas starts with the box colour")
        << bytesOf({3, 1, {kRed, kGreen}, 0, {frameAt(1, 0, 1, 1, {0}), frameAt(2, 0, 1, 1, {1})}, true})
        << QList<Pixels>{{X, R, X}, {X, R, G}};

    // Index 0 is transparent; index 2 has the same colour, so it is too.
    QTest::newRow("transparency is by colour")
        << bytesOf({3, 1, {kRed, kGreen, kRed}, 0,
                    {frameAt(0, 0, 3, 1, {1, 1, 1}), frameAt(0, 0, 3, 1, {0, 2, 1}, ControlBlock{0, true, 0, 0})},
                    true})
        << QList<Pixels>{{G, G, G}, {G, G, G}};
    QTest::newRow("transparent first frame shows the box colour")
        << bytesOf({2, 1, {kRed, kGreen}, 0,
                    {frameAt(0, 0, 2, 1, {0, 1}, ControlBlock{0, true, 0, 0}), frameAt(0, 0, 1, 1, {1})}, true})
        << QList<Pixels>{{X, G}, {G, G}};
    // Anything but the trailer after the only image makes it an animation of
    // one frame: drawn at its offset over the box colour, with transparency.
    const QByteArray onlyImage =
        bytesOf({3, 1, {kRed, kGreen}, 0, {frameAt(1, 0, 2, 1, {0, 1}, ControlBlock{0, true, 0, 0})}, false});
    QTest::newRow("comment after the only image") << onlyImage + QByteArray("\x21\xfe\x02hi\x00\x3b", 7)
                                                  << QList<Pixels>{{X, X, G}};
    QTest::newRow("zero byte after the only image") << onlyImage + QByteArray(1, '\0') << QList<Pixels>{{X, X, G}};
    QTest::newRow("transparent index past the table is only that index")
        << bytesOf({2, 1, {kRed, kGreen}, 0,
                    {frameAt(0, 0, 2, 1, {1, 1}), frameAt(0, 0, 2, 1, {3, 0}, ControlBlock{0, true, 3, 0})}, true})
        << QList<Pixels>{{G, G}, {G, R}};

    // Frame 2 has no control block: it inherits transparency (index 0) but
    // not disposal 3, so frame 3 does not restore under it (that would give X, X).
    QTest::newRow("frame without control block inherits transparency, not disposal")
        << bytesOf({2, 1, {kRed, kGreen, kBlue}, 0,
                    {frameAt(0, 0, 2, 1, {1, 1}, ControlBlock{3, true, 0, 0}), frameAt(0, 0, 2, 1, {0, 2}),
                     frameAt(1, 0, 1, 1, {0})},
                    true})
        << QList<Pixels>{{G, G}, {X, B}, {X, B}};
    QTest::newRow("interlaced frame with a restore")
        << bytesOf({1, 3, {kRed, kGreen}, 0,
                    {frameAt(0, 0, 1, 3, {0, 0, 0}), [] {
                         Frame frame = frameAt(0, 1, 1, 2, {1, 1}, ControlBlock{2, false, 0, 0});
                         frame.interlaced = true;
                         return frame;
                     }(),
                     frameAt(0, 0, 1, 1, {1})},
                    true})
        << QList<Pixels>{{R, R, R}, {R, G, G}, {G, R, R}};
}

void TestGifDecoder::composedCanvases()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<Pixels>, canvases);
    QCOMPARE(playOnce(bytes), canvases);
}

// After the last frame comes the first again, on the same canvas: the last
// frame's restore happens first, nothing is cleared.
void TestGifDecoder::loopRestoresUnderTheLastFrame()
{
    const QByteArray bytes = bytesOf(
        {2, 1, {kRed, kGreen, kBlue}, 0,
         {frameAt(0, 0, 1, 1, {0}), frameAt(1, 0, 1, 1, {1}), frameAt(0, 0, 1, 1, {2}, ControlBlock{3, false, 0, 0})},
         true});
    const auto gif = pictures::decodeGif(spanOf(bytes));
    auto player = pictures::GifPlayer::create(gif->animation, kBox);
    QList<int> order;
    QList<Pixels> canvases;
    for (int i = 0; i < 5; ++i) {
        order.append(player->advance());
        canvases.append(pixelsOf(player->canvas()));
    }
    QCOMPARE(order, (QList<int>{0, 1, 2, 0, 1}));
    QCOMPARE(canvases, (QList<Pixels>{{R, X}, {R, G}, {B, G}, {R, G}, {R, G}}));
}

void TestGifDecoder::frameDelays_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("delaysMs");

    QTest::newRow("own delays") << bytesOf({1, 1, {kRed}, 0,
                                            {frameAt(0, 0, 1, 1, {0}, ControlBlock{0, false, 0, 7}),
                                             frameAt(0, 0, 1, 1, {0}, ControlBlock{0, false, 0, 250})},
                                            true})
                                << QList<int>{70, 2500};
    QTest::newRow("zero and none are 50 ms")
        << bytesOf({1, 1, {kRed}, 0, {frameAt(0, 0, 1, 1, {0}), frameAt(0, 0, 1, 1, {0}, ControlBlock{})}, true})
        << QList<int>{50, 50};
    QTest::newRow("inherited from the latest control block")
        << bytesOf({1, 1, {kRed}, 0,
                    {frameAt(0, 0, 1, 1, {0}, ControlBlock{0, false, 0, 3}), frameAt(0, 0, 1, 1, {0}),
                     frameAt(0, 0, 1, 1, {0}, ControlBlock{0, false, 0, 9}), frameAt(0, 0, 1, 1, {0})},
                    true})
        << QList<int>{30, 30, 90, 90};
}

void TestGifDecoder::frameDelays()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, delaysMs);
    const auto gif = pictures::readGif(spanOf(bytes));
    QVERIFY(gif);
    QList<int> actual;
    for (const auto &frame : gif->frames)
        actual.append(pictures::gifFrameDelayMs(frame));
    QCOMPARE(actual, delaysMs);
}

// Where the list of frames ends, and which blocks are passed over on the way.
void TestGifDecoder::endOfFrames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("frames");

    const QByteArray twoFrames = colourCycle(2, 0, 1);
    const QByteArray head = twoFrames.left(twoFrames.size() - 1);
    QTest::newRow("trailer") << twoFrames << 2;
    QTest::newRow("zero byte where a block should begin") << head + QByteArray("\x00", 1) + twoFrames.mid(13 + 12) << 2;
    QTest::newRow("unknown block") << head + "\x42" << 2;
    QTest::newRow("data ends without a trailer") << head << 2;
    QTest::newRow("comment, plain text and application blocks are skipped")
        << head + QByteArray("\x21\xfe\x03" "abc\x00", 6)
               + QByteArray("\x21\x01\x0c" "0123456789ab\x01x\x00", 18)
               + QByteArray("\x21\xff\x0b" "NETSCAPE2.0\x03\x01\x01\x00\x00", 19) + twoFrames.mid(13 + 12)
        << 4;
}

void TestGifDecoder::endOfFrames()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, frames);
    const auto gif = pictures::readGif(spanOf(bytes));
    QVERIFY(gif);
    QCOMPARE(int(gif->frames.size()), frames);
}

void TestGifDecoder::hostileInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("picture");

    const QByteArray still = bytesOf({1, 1, {kRed, kGreen}, 0, {frameAt(0, 0, 1, 1, {1})}, true});
    // Offsets in gif_writer's output: screen size at 6, global table at 13,
    // descriptor at 19 with its size at 24, code size at 29.
    QTest::newRow("13 bytes") << still.left(13) << false;
    QTest::newRow("global table cut short") << still.left(17) << false;
    QTest::newRow("header only, no image") << still.left(19) + "\x3b" << false;
    QTest::newRow("screen 0 wide") << withByte(still, 6, 0) << false;
    QTest::newRow("screen 65535 x 65535") << withByte(withByte(withByte(withByte(still, 6, -1), 7, -1), 8, -1), 9, -1)
                                          << false;
    QTest::newRow("screen 16385 wide") << withByte(withByte(still, 6, 0x01), 7, 0x40) << false;
    QTest::newRow("frame 65535 x 65535 on a 1x1 screen")
        << withByte(withByte(withByte(withByte(still, 24, -1), 25, -1), 26, -1), 27, -1) << false;
    QTest::newRow("LZW code size 0") << withByte(still, 29, 0) << true;
    QTest::newRow("LZW code size 12") << withByte(still, 29, 12) << true;
    QTest::newRow("LZW code size 255") << withByte(still, 29, char(255)) << true;

    // 4 frames of 8192 x 8192 declared, with no pixel data: 256 MiB of
    // indices in all, over the budget, refused before most are allocated.
    QByteArray huge = still.left(19);
    for (int i = 0; i < 4; ++i)
        huge += QByteArray("\x2c\0\0\0\0\0\x20\0\x20\0\x02\x01\x05\x00", 14);
    QTest::newRow("frames over the memory budget") << huge + "\x3b" << false;

    // Clear, literal 1, then code 7 where 6 is the next free slot.
    QByteArray corrupt = bytesOf({2, 1, {kRed, kGreen}, 0, {frameAt(0, 0, 2, 1, {1, 1})}, true});
    QTest::newRow("code past the next free slot") << withByte(withByte(corrupt, 31, char(0xcc)), 32, 1) << true;

    // 16384 x 4096 frame whose data is nothing but clear codes.
    QByteArray clears = still.left(19) + QByteArray("\x2c\0\0\0\0\0\x40\0\x10\0\x02", 11);
    for (int i = 0; i < 200; ++i)
        clears += QByteArray("\xff", 1) + QByteArray(255, char(0x24)).replace(char(0x24), char(0x92));
    QTest::newRow("endless clear codes") << clears + QByteArray("\x00\x3b", 2) << true;
}

void TestGifDecoder::hostileInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, picture);
    QCOMPARE(pictures::decodePicture(spanOf(bytes)).has_value(), picture);
}

void TestGifDecoder::truncatedAtEveryByte()
{
    Frame interlaced = frameAt(0, 0, 4, 5, std::vector<std::uint8_t>(20, 2));
    interlaced.interlaced = true;
    interlaced.localPalette = {kBlue, kWhite, kRed};
    const QByteArray full = bytesOf({4, 5, {kRed, kGreen}, 0,
                                     {frameAt(0, 0, 4, 5, std::vector<std::uint8_t>(20, 1), ControlBlock{2, true, 0, 4}),
                                      interlaced, frameAt(1, 1, 2, 2, {0, 1, 1, 0})},
                                     true});
    for (qsizetype size = 0; size < full.size(); ++size) {
        const auto gif = pictures::decodeGif(spanOf(full.left(size)));
        if (!gif)
            continue;
        // Whatever was read plays without touching memory it should not.
        if (gif->animation) {
            auto player = pictures::GifPlayer::create(gif->animation, kBox);
            QVERIFY(player);
            for (int i = 0; i < 4; ++i)
                player->advance();
        }
    }
}

// gif_writer's output is read the same by Qt's own reader, so the fixtures
// above are real GIFs and not just what this decoder expects.
void TestGifDecoder::roundTripThroughQt()
{
    std::vector<std::uint8_t> indices(64 * 48);
    for (std::size_t i = 0; i < indices.size(); ++i)
        indices[i] = std::uint8_t((i * 7 + i / 64) % 16);
    std::vector<std::uint32_t> palette;
    for (std::uint32_t i = 0; i < 16; ++i)
        palette.push_back(i * 0x0f0a05u);
    const QByteArray bytes = bytesOf({64, 48, palette, 0, {frameAt(0, 0, 64, 48, indices)}, true});

    QImage reference = QImage::fromData(bytes, "GIF").convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!reference.isNull());
    const auto picture = pictures::decodePicture(spanOf(bytes));
    QVERIFY(picture);
    const QImage ours(reinterpret_cast<const uchar *>(picture->image.pixels.data()), 64, 48, QImage::Format_ARGB32);
    QCOMPARE(ours, reference);
}

QTEST_GUILESS_MAIN(TestGifDecoder)
#include "test_gif_decoder.moc"
