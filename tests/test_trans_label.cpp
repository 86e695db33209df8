#include "card_fixture.h"
#include "card_fonts.h"
#include "title_keeper.h"
#include "trans_label.h"

#include <QFontInfo>
#include <QPainter>
#include <QtTest>

using card_window::TransLabel;

namespace {

// Stands in for the card picture with pixels that all differ from their
// neighbours, so any fill behind a label shows.
class PatternBox : public QWidget {
public:
    explicit PatternBox(QWidget *parent) : QWidget(parent), m_pattern(632, 344, QImage::Format_RGB32)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        for (int y = 0; y < m_pattern.height(); ++y) {
            for (int x = 0; x < m_pattern.width(); ++x)
                m_pattern.setPixel(x, y, qRgb((x * 7 + y * 3) & 255, (x * 5 ^ y * 11) & 255, (x + y * 13) & 255));
        }
        setGeometry(m_pattern.rect());
    }
    const QImage &pattern() const { return m_pattern; }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).drawImage(0, 0, m_pattern); }

private:
    QImage m_pattern;
};

} // namespace

class TransLabelTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void labelText_data();
    void labelText();
    void substituteFaces_data();
    void substituteFaces();
    void clearingLeavesThePicture_data();
    void clearingLeavesThePicture();
    void repeatedWritesLeaveTheSamePixels_data();
    void repeatedWritesLeaveTheSamePixels();
    void nicknameKeepsCoinTextVisible_data();
    void nicknameKeepsCoinTextVisible();
    void ampersands_data();
    void ampersands();
    void longCaptionWrappedAndClipped_data();
    void longCaptionWrappedAndClipped();
    void helpTextShowsThreeLines();
    void digitsFitInThirteenPixels_data();
    void digitsFitInThirteenPixels();

private:
    TransLabel *label(const char *name) const { return m_labels.value(QString::fromUtf8(name)); }
    QImage shown(const QRect &rect) const { return card_test::backingStorePixels(m_window.get(), rect); }
    QImage picture(const QRect &rect) const { return m_card->pattern().copy(rect); }

    std::unique_ptr<QWidget> m_window;
    PatternBox *m_card = nullptr;
    QHash<QString, TransLabel *> m_labels;
};

// The card rows 1 and 2 and the help label, parented and stacked as in the
// card window: the coin label of row 1 inside the card picture, every other
// label above it, nickname labels above coin labels.
void TransLabelTest::init()
{
    m_window = std::make_unique<QWidget>();
    m_window->setFixedSize(632, 600);
    m_card = new PatternBox(m_window.get());
    for (const char *name : {"透明标签1", "透明标签2", "透明标签19", "透明标签20", "透明标签13", "透明标签14", "透明标签25"}) {
        const card_window::LayoutEntry &entry = card_window::kLayout[std::size_t(card_window::layoutIndexOf(name))];
        QWidget *parent = entry.parent.empty() ? m_window.get() : m_card;
        TransLabel *created = TransLabel::fromLayout(entry, parent);
        created->setGeometry(entry.rect.left, entry.rect.top, entry.rect.width, entry.rect.height);
        m_labels.insert(QString::fromUtf8(name), created);
    }
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TransLabelTest::cleanup()
{
    m_labels.clear();
    m_window.reset();
}

void TransLabelTest::labelText_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("underlined");

    const QString separator(QChar::LineSeparator);
    QTest::newRow("plain") << "+ 9999" << "+ 9999" << QList<int>{};
    QTest::newRow("ampersand underlines the next character") << "a&b" << "ab" << QList<int>{1};
    QTest::newRow("doubled ampersand draws one") << "a&&b" << "a&b" << QList<int>{};
    QTest::newRow("lone ampersand draws nothing") << "&" << "" << QList<int>{};
    QTest::newRow("trailing ampersand draws nothing") << "ab&" << "ab" << QList<int>{};
    QTest::newRow("three ampersands") << "&&&x" << "&x" << QList<int>{1};
    QTest::newRow("underlined wide character") << "&吴" << "吴" << QList<int>{0};
    QTest::newRow("CR LF is one break") << "a\r\nb" << "a" + separator + "b" << QList<int>{};
    QTest::newRow("lone CR and LF break") << "a\rb\nc" << "a" + separator + "b" + separator + "c" << QList<int>{};
    QTest::newRow("ampersand before a break") << "a&\r\nb" << "a" + separator + "b" << QList<int>{};
}

void TransLabelTest::labelText()
{
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QFETCH(QList<int>, underlined);
    const card_window::LabelText laidOut = card_window::labelTextOf(caption);
    QCOMPARE(laidOut.text, text);
    QCOMPARE(laidOut.underlined, underlined);
}

void TransLabelTest::substituteFaces_data()
{
    QTest::addColumn<card_window::CardFace>("face");
    QTest::addColumn<QString>("named");
    QTest::addColumn<QString>("substitute");
    QTest::newRow("微软雅黑") << card_window::CardFace::YaHei << "微软雅黑" << "Noto Sans CJK SC";
    QTest::newRow("宋体") << card_window::CardFace::SimSun << "宋体" << "Noto Serif CJK SC";
}

void TransLabelTest::substituteFaces()
{
    QFETCH(card_window::CardFace, face);
    QFETCH(QString, named);
    QFETCH(QString, substitute);
    const QFont font = card_window::cardFont(face);
    QCOMPARE(font.pixelSize(), 12);
    QCOMPARE(font.weight(), QFont::Normal);
    const QString used = QFontInfo(font).family();
    QVERIFY2(used == named || used == substitute, qPrintable(used));
}

void TransLabelTest::clearingLeavesThePicture_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("coin label inside the card picture") << "透明标签1";
    QTest::newRow("coin label beside the card picture") << "透明标签2";
    QTest::newRow("nickname label") << "透明标签14";
    QTest::newRow("reason label") << "透明标签20";
}

void TransLabelTest::clearingLeavesThePicture()
{
    QFETCH(QString, name);
    for (TransLabel *other : std::as_const(m_labels))
        other->setCaption(QString());
    TransLabel *target = m_labels.value(name);
    const QRect rect = card_test::windowRectOf(target);
    target->setCaption(QStringLiteral("人物八 8888 WWWW"));
    QVERIFY(shown(rect) != picture(rect));
    target->setCaption(QString());
    QCOMPARE(shown(rect), picture(rect));
}

void TransLabelTest::repeatedWritesLeaveTheSamePixels_data()
{
    clearingLeavesThePicture_data();
}

void TransLabelTest::repeatedWritesLeaveTheSamePixels()
{
    QFETCH(QString, name);
    TransLabel *target = m_labels.value(name);
    const QRect rect = card_test::windowRectOf(target);
    target->setCaption(QStringLiteral("+ 88 人物"));
    const QImage once = shown(rect);
    for (int write = 1; write < 50; ++write)
        target->setCaption(QStringLiteral("+ 88 人物"));
    QCOMPARE(shown(rect), once);
}

void TransLabelTest::nicknameKeepsCoinTextVisible_data()
{
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("coin");
    QTest::newRow("row 1, coin inside the card picture") << "透明标签13" << "透明标签1";
    QTest::newRow("row 2") << "透明标签14" << "透明标签2";
}

void TransLabelTest::nicknameKeepsCoinTextVisible()
{
    QFETCH(QString, nickname);
    QFETCH(QString, coin);
    TransLabel *nicknameLabel = m_labels.value(nickname);
    TransLabel *coinLabel = m_labels.value(coin);
    const QRect overlap = card_test::windowRectOf(nicknameLabel) & card_test::windowRectOf(coinLabel);
    QCOMPARE(overlap.width(), 4);

    nicknameLabel->setCaption(QStringLiteral("x"));
    coinLabel->setCaption(QStringLiteral("8888"));
    const QImage withCoinText = shown(overlap);
    QVERIFY(withCoinText != picture(overlap));

    for (const QString &text : {QStringLiteral("新昵称"), QString(), QStringLiteral("y")}) {
        nicknameLabel->setCaption(text);
        QCOMPARE(shown(overlap), withCoinText);
    }
}

void TransLabelTest::ampersands_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("comparedWith");
    QTest::addColumn<bool>("same");
    QTest::newRow("lone ampersand draws nothing") << "&" << "" << true;
    QTest::newRow("doubled ampersand draws one") << "&&" << "" << false;
    QTest::newRow("ampersand underlines") << "a&b" << "ab" << false;
    QTest::newRow("doubled ampersand between letters") << "a&&b" << "ab" << false;
}

void TransLabelTest::ampersands()
{
    QFETCH(QString, caption);
    QFETCH(QString, comparedWith);
    QFETCH(bool, same);
    TransLabel *target = label("透明标签14");
    const QRect rect = card_test::windowRectOf(target);
    target->setCaption(comparedWith);
    const QImage reference = shown(rect);
    target->setCaption(caption);
    QCOMPARE(shown(rect) == reference, same);
}

void TransLabelTest::longCaptionWrappedAndClipped_data()
{
    QTest::addColumn<QString>("caption");
    QTest::newRow("words past the right edge") << QStringLiteral("very long reason words ").repeated(12);
    QTest::newRow("one word wider than the label") << QStringLiteral("W").repeated(80);
    QTest::newRow("Chinese text") << QStringLiteral("理由很长的文字").repeated(10);
}

void TransLabelTest::longCaptionWrappedAndClipped()
{
    QFETCH(QString, caption);
    TransLabel *reason = label("透明标签20");
    reason->setCaption(QString());
    const QImage before = shown(m_window->rect());
    reason->setCaption(caption);
    const QImage after = shown(m_window->rect());

    const QRect rect = card_test::windowRectOf(reason);
    bool inkInside = false;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (after.pixel(x, y) == before.pixel(x, y))
                continue;
            QVERIFY2(rect.contains(x, y), qPrintable(QStringLiteral("drawn at %1,%2").arg(x).arg(y)));
            inkInside = true;
        }
    }
    QVERIFY(inkInside);
    QCOMPARE(reason->caption(), caption);
}

void TransLabelTest::helpTextShowsThreeLines()
{
    TransLabel *help = label("透明标签25");
    const QRect rect = card_test::windowRectOf(help);
    const QImage empty = shown(rect);
    help->setCaption(shell::helpText().toString());
    const QImage drawn = shown(rect);
    // Each 16-pixel band of the 48-pixel label holds one line.
    for (int band = 0; band < 3; ++band) {
        bool ink = false;
        for (int y = band * 16; y < band * 16 + 16 && !ink; ++y) {
            for (int x = 0; x < rect.width() && !ink; ++x)
                ink = drawn.pixel(x, y) != empty.pixel(x, y);
        }
        QVERIFY2(ink, qPrintable(QStringLiteral("no text in line %1").arg(band + 1)));
    }
}

void TransLabelTest::digitsFitInThirteenPixels_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("coin label, 微软雅黑") << "透明标签2";
    QTest::newRow("reason label, 宋体") << "透明标签20";
    QTest::newRow("nickname label, default face") << "透明标签14";
}

void TransLabelTest::digitsFitInThirteenPixels()
{
    // The coin and heat labels are 13 pixels high; drawn in a taller label,
    // no row of a line of digits may fall below that.
    QFETCH(QString, name);
    TransLabel *target = m_labels.value(name);
    target->resize(target->width(), 32);
    target->setCaption(QStringLiteral("+ 9999 8086"));
    const QRect rect = card_test::windowRectOf(target);
    const QImage drawn = shown(rect);
    const QImage beneath = picture(rect);
    int lowestInk = -1;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            if (drawn.pixel(x, y) != beneath.pixel(x, y))
                lowestInk = y;
        }
    }
    QVERIFY(lowestInk >= 0);
    QVERIFY2(lowestInk < 13, qPrintable(QStringLiteral("ink down to row %1").arg(lowestInk)));
}

QTEST_MAIN(TransLabelTest)
#include "test_trans_label.moc"
