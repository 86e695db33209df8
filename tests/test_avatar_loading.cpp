#include "avatar_loading.h"
#include "card_window.h"
#include "edit_box.h"
#include "field_routines.h"
#include "pic_box.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using card_window::CardWindow;
using card_window::EditBox;
using card_window::PicBox;

namespace {

// Card rows 1 to 6.
const QStringList kAvatarFields = {u"编辑框30"_qs, u"编辑框29"_qs, u"编辑框28"_qs,
                                   u"编辑框27"_qs, u"编辑框26"_qs, u"编辑框25"_qs};
const QStringList kAvatarBoxes = {u"图片框2"_qs, u"图片框3"_qs, u"图片框4"_qs,
                                  u"图片框7"_qs, u"图片框6"_qs, u"图片框5"_qs};

// JPEG may shift a flat colour by a few steps.
constexpr int kJpegTolerance = 4;

// One colour, larger than the box, so that every pixel of the box shows it.
QByteArray encodedImage(QColor colour, const char *format)
{
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return bytes;
}

// A file of the program folder and the colour it shows as an avatar; an
// invalid colour for bytes that are no picture.
struct Fixture {
    QByteArray bytes;
    QColor colour;
};

// Sends each character as a real key press and release, as the keyboard does.
void typeText(QWidget *field, const QString &text)
{
    for (const QChar character : text) {
        const Qt::Key key = character.unicode() < 0x80 ? QTest::asciiToKey(char(character.unicode())) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, field, key, QString(character), Qt::NoModifier);
    }
}

} // namespace

class TestAvatarLoading : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void typedName_data();
    void typedName();
    void bindings_data();
    void bindings();
    void letterByLetter();
    void sameFileInTwoRows();

private:
    void writeFile(const QString &name, const QByteArray &bytes);
    EditBox *field(const QString &name) const;
    PicBox *box(const QString &name) const;
    // The box holds the bytes of the named fixture and shows its colour, or
    // holds nothing and shows none for an empty name.
    void verifyBox(const QString &boxName, const QString &fixtureName) const;

    QTemporaryDir m_dir;
    QString m_baseDirectory;
    QHash<QString, Fixture> m_fixtures;
    std::unique_ptr<CardWindow> m_window;
};

void TestAvatarLoading::writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(m_dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

EditBox *TestAvatarLoading::field(const QString &name) const
{
    auto *found = m_window->control<EditBox>(name);
    Q_ASSERT(found);
    return found;
}

PicBox *TestAvatarLoading::box(const QString &name) const
{
    auto *found = m_window->control<PicBox>(name);
    Q_ASSERT(found);
    return found;
}

void TestAvatarLoading::verifyBox(const QString &boxName, const QString &fixtureName) const
{
    const Fixture expected = m_fixtures.value(fixtureName);
    PicBox *const target = box(boxName);
    QCOMPARE(target->pictureData(), expected.bytes);
    QCOMPARE(target->hasPicture(), expected.colour.isValid());

    // Every pixel of the 24 x 24 box shows the one-coloured picture, or the
    // plain background when there is none.
    const QColor shown = expected.colour.isValid() ? expected.colour : target->backgroundColor();
    const QImage screen = target->grab().toImage();
    QCOMPARE(screen.size(), QSize(24, 24));
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x) {
            const QColor pixel = screen.pixelColor(x, y);
            const bool close = qAbs(pixel.red() - shown.red()) <= kJpegTolerance
                               && qAbs(pixel.green() - shown.green()) <= kJpegTolerance
                               && qAbs(pixel.blue() - shown.blue()) <= kJpegTolerance;
            if (!close) {
                QFAIL(qPrintable(u"pixel (%1, %2) is %3, expected %4"_qs.arg(x).arg(y).arg(pixel.name(), shown.name())));
            }
        }
    }
}

void TestAvatarLoading::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_baseDirectory = m_dir.path() + u'/';
    QVERIFY(QDir(m_dir.path()).mkdir(u"pics"_qs));
    m_fixtures = {
        {u"me.png"_qs, {encodedImage(QColor(220, 30, 30), "PNG"), QColor(220, 30, 30)}},
        {u"photo.jpg"_qs, {encodedImage(QColor(30, 160, 60), "JPEG"), QColor(30, 160, 60)}},
        {u"pics/me.png"_qs, {encodedImage(QColor(40, 60, 200), "PNG"), QColor(40, 60, 200)}},
        {u"头像.png"_qs, {encodedImage(QColor(200, 40, 200), "PNG"), QColor(200, 40, 200)}},
        {u"notes.txt"_qs, {"A text file, not a picture.\n", QColor()}},
        {u"empty.png"_qs, {}},
    };
    // Stands in for me.png when the file changes on disk.
    m_fixtures.insert(u"other.png"_qs, {encodedImage(QColor(240, 200, 20), "PNG"), QColor(240, 200, 20)});
}

void TestAvatarLoading::init()
{
    for (auto fixture = m_fixtures.cbegin(); fixture != m_fixtures.cend(); ++fixture)
        writeFile(fixture.key(), fixture.value().bytes);

    card_window::CardWindowHandlers handlers;
    handlers.changed = [this](CardWindow &window, EditBox &changed) {
        card_editing::runFieldRoutine(window, changed, m_baseDirectory);
    };
    m_window = CardWindow::buildAndShow(std::move(handlers));
    QVERIFY(m_window);
}

void TestAvatarLoading::cleanup()
{
    m_window.reset();
}

void TestAvatarLoading::typedName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    const QString folderName = QDir(m_dir.path()).dirName();
    QTest::newRow("PNG beside the program") << u"me.png"_qs << u"me.png"_qs;
    QTest::newRow("JPEG beside the program") << u"photo.jpg"_qs << u"photo.jpg"_qs;
    QTest::newRow("no extension is added") << u"me"_qs << QString();
    QTest::newRow("file in a subfolder") << u"pics/me.png"_qs << u"pics/me.png"_qs;
    QTest::newRow("up and back in through ..") << u"../"_qs + folderName + u"/me.png"_qs << u"me.png"_qs;
    QTest::newRow("subfolder name") << u"pics"_qs << QString();
    QTest::newRow("zero-byte file") << u"empty.png"_qs << QString();
    QTest::newRow("text file") << u"notes.txt"_qs << u"notes.txt"_qs;
    QTest::newRow("absolute path is appended") << m_dir.filePath(u"me.png"_qs) << QString();
    QTest::newRow("leading space is kept") << u" me.png"_qs << QString();
    QTest::newRow("trailing space is kept") << u"me.png "_qs << QString();
    QTest::newRow("trailing dot is kept") << u"me.png."_qs << QString();
    QTest::newRow("case is kept") << u"ME.PNG"_qs << QString();
    QTest::newRow("Chinese name") << u"头像.png"_qs << u"头像.png"_qs;
}

void TestAvatarLoading::typedName()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    typeText(field(kAvatarFields[0]), typed);
    QCOMPARE(field(kAvatarFields[0])->text(), typed);
    verifyBox(kAvatarBoxes[0], expected);
}

void TestAvatarLoading::bindings_data()
{
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<QString>("boxName");

    for (int row = 0; row < kAvatarFields.size(); ++row) {
        QTest::addRow("card row %d: %s", row + 1, qPrintable(kAvatarFields[row]))
            << kAvatarFields[row] << kAvatarBoxes[row];
    }
    QTest::newRow("text field 编辑框1") << u"编辑框1"_qs << QString();
    QTest::newRow("text field 编辑框24") << u"编辑框24"_qs << QString();
}

void TestAvatarLoading::bindings()
{
    QFETCH(QString, fieldName);
    QFETCH(QString, boxName);

    QCOMPARE(card_editing::avatarBindingBoxOf(fieldName).toString(), boxName);
    typeText(field(fieldName), u"me.png"_qs);
    for (const QString &avatarBox : kAvatarBoxes)
        verifyBox(avatarBox, avatarBox == boxName ? u"me.png"_qs : QString());
}

void TestAvatarLoading::letterByLetter()
{
    EditBox *const row1 = field(kAvatarFields[0]);
    for (const QChar letter : u"me.pn"_qs) {
        typeText(row1, letter);
        verifyBox(kAvatarBoxes[0], QString());
    }
    typeText(row1, u"g"_qs);
    verifyBox(kAvatarBoxes[0], u"me.png"_qs);

    QTest::keyClick(row1, Qt::Key_Backspace);
    QCOMPARE(row1->text(), u"me.pn"_qs);
    verifyBox(kAvatarBoxes[0], QString());

    // Typed again, the name is read anew: the file as it is now shows.
    writeFile(u"me.png"_qs, m_fixtures.value(u"other.png"_qs).bytes);
    typeText(row1, u"g"_qs);
    verifyBox(kAvatarBoxes[0], u"other.png"_qs);

    QTest::keyClick(row1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(row1, Qt::Key_Backspace);
    QCOMPARE(row1->text(), QString());
    verifyBox(kAvatarBoxes[0], QString());
}

void TestAvatarLoading::sameFileInTwoRows()
{
    typeText(field(kAvatarFields[0]), u"me.png"_qs);
    // Each row reads the file itself; nothing is cached between rows.
    writeFile(u"me.png"_qs, m_fixtures.value(u"other.png"_qs).bytes);
    typeText(field(kAvatarFields[1]), u"me.png"_qs);
    verifyBox(kAvatarBoxes[0], u"me.png"_qs);
    verifyBox(kAvatarBoxes[1], u"other.png"_qs);
}

QTEST_MAIN(TestAvatarLoading)
#include "test_avatar_loading.moc"
