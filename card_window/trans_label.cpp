#include "trans_label.h"

#include "card_fonts.h"
#include "system_values.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <string_view>

namespace card_window {

namespace {

struct LabelSettings {
    std::string_view name;
    std::u16string_view caption;
    CardFace face;
    QRgb textColor;
};

constexpr QRgb kOrange = qRgb(255, 128, 64);
constexpr QRgb kGrey = qRgb(128, 128, 128);
constexpr QRgb kBlack = qRgb(0, 0, 0);

// Captions, faces and colours of the thirty labels; the help label starts
// empty because the title keeper fills it.
constexpr std::array<LabelSettings, 30> kLabelSettings{{
    {"透明标签1", u"+ 9999", CardFace::YaHei, kOrange},
    {"透明标签2", u"+ 9999", CardFace::YaHei, kOrange},
    {"透明标签3", u"+ 9999", CardFace::YaHei, kOrange},
    {"透明标签4", u"+ 9999", CardFace::YaHei, kOrange},
    {"透明标签5", u"+ 9999", CardFace::YaHei, kOrange},
    {"透明标签6", u"+ 9999", CardFace::YaHei, kOrange},
    {"透明标签7", u"+ 9999", CardFace::YaHei, kOrange},
    {"透明标签8", u"+ 9999", CardFace::YaHei, kOrange},
    {"透明标签9", u"+ 9999", CardFace::YaHei, kOrange},
    {"透明标签10", u"+ 9999", CardFace::YaHei, kOrange},
    {"透明标签11", u"+ 9999", CardFace::YaHei, kOrange},
    {"透明标签12", u"+ 9999", CardFace::YaHei, kOrange},
    {"透明标签13", u"人物一", CardFace::Default, kBlack},
    {"透明标签14", u"人物二", CardFace::Default, kBlack},
    {"透明标签15", u"人物三", CardFace::Default, kBlack},
    {"透明标签16", u"人物四", CardFace::Default, kBlack},
    {"透明标签17", u"人物五", CardFace::Default, kBlack},
    {"透明标签18", u"人物六", CardFace::Default, kBlack},
    {"透明标签19", u"二", CardFace::SimSun, kGrey},
    {"透明标签20", u"一", CardFace::SimSun, kGrey},
    {"透明标签21", u"三", CardFace::SimSun, kGrey},
    {"透明标签22", u"四", CardFace::SimSun, kGrey},
    {"透明标签23", u"五", CardFace::SimSun, kGrey},
    {"透明标签24", u"六", CardFace::SimSun, kGrey},
    {"透明标签25", u"", CardFace::YaHei, kBlack},
    {"透明标签26", u"图标", CardFace::YaHei, kBlack},
    {"透明标签27", u"昵称", CardFace::YaHei, kBlack},
    {"透明标签28", u"Qarnelo币", CardFace::YaHei, kBlack},
    {"透明标签29", u"热心值", CardFace::YaHei, kBlack},
    {"透明标签30", u"理由", CardFace::YaHei, kBlack},
}};

constexpr const LabelSettings *settingsOf(std::string_view name)
{
    for (const LabelSettings &settings : kLabelSettings) {
        if (settings.name == name)
            return &settings;
    }
    return nullptr;
}

constexpr bool everyLayoutLabelHasSettings()
{
    for (const LayoutEntry &entry : kLayout) {
        if ((entry.kind == ControlKind::TransLabel) != (settingsOf(entry.name) != nullptr))
            return false;
    }
    return true;
}
static_assert(everyLayoutLabelHasSettings());

// Lines step by at most the 16 pixels a 12-pixel line of the card's named face
// takes, so the three lines of the help text fit its 48-pixel label even where
// a substitute face has taller line metrics.
constexpr qreal kMaxLineStepPx = 16;

// The named face puts the first baseline 13 pixels below the top at the card's
// 12-pixel height; a substitute with a taller ascent would push the foot of
// every digit one row past the bottom of the 13-pixel coin and heat labels.
constexpr qreal kMaxAscentPx = 13;

// The substitute faces have fractional advances a little wider than the named
// faces, enough to push the last glyph of a heading such as "Qarnelo币" (56.9
// pixels of advance in a 56-pixel label) onto a line that is cut off; an
// overrun of less than a pixel lies in that glyph's side bearing, not its ink.
constexpr qreal kLineOverrunPx = 1;

bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n';
}

} // namespace

LabelText labelTextOf(QStringView caption)
{
    LabelText result;
    result.text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption[i];
        if (c == u'\r') {
            result.text.append(QChar::LineSeparator);
            if (i + 1 < caption.size() && caption[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            result.text.append(QChar::LineSeparator);
        } else if (c == u'&') {
            const bool hasNext = i + 1 < caption.size();
            if (hasNext && caption[i + 1] == u'&') {
                result.text.append(u'&');
                ++i;
            } else if (hasNext && !isLineBreak(caption[i + 1])) {
                // The marker is dropped and the next character, appended on
                // the next round, is underlined; a trailing one draws nothing.
                result.underlined.append(int(result.text.size()));
            }
        } else {
            result.text.append(c);
        }
    }
    return result;
}

QStringView startingCaptionOf(std::string_view labelName)
{
    const LabelSettings *settings = settingsOf(labelName);
    if (!settings)
        return {};
    return QStringView(settings->caption.data(), qsizetype(settings->caption.size()));
}

TransLabel::TransLabel(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFont(cardFont(CardFace::Default));
}

TransLabel::~TransLabel() = default;

TransLabel *TransLabel::fromLayout(const LayoutEntry &entry, QWidget *parent)
{
    auto *label = new TransLabel(parent);
    if (const LabelSettings *settings = settingsOf(entry.name)) {
        label->setFont(cardFont(settings->face));
        label->m_textColor = QColor::fromRgb(settings->textColor);
        label->m_caption = startingCaptionOf(entry.name).toString();
    }
    return label;
}

void TransLabel::setCaption(const QString &caption)
{
    m_caption = shell::copyText(caption);
    m_layout.reset();
    // A label draws no background, so Qt composes everything beneath it into
    // the repainted rectangle before the label's glyphs.
    repaint();
}

void TransLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        m_layout.reset();
    QWidget::changeEvent(event);
}

void TransLabel::resizeEvent(QResizeEvent *event)
{
    m_layout.reset();
    QWidget::resizeEvent(event);
}

void TransLabel::layOutCaption()
{
    const LabelText text = labelTextOf(m_caption);
    m_layout = std::make_unique<QTextLayout>(text.text, font());
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WordWrap);
    m_layout->setTextOption(option);
    QList<QTextLayout::FormatRange> formats;
    for (const int position : text.underlined) {
        QTextLayout::FormatRange range;
        range.start = position;
        const bool pair = text.text.at(position).isHighSurrogate() && position + 1 < text.text.size();
        range.length = pair ? 2 : 1;
        range.format.setFontUnderline(true);
        formats.append(range);
    }
    m_layout->setFormats(formats);

    // Lines below the rectangle would be clipped anyway; leaving them out
    // keeps a very long caption cheap to lay out on every keystroke.
    const QFontMetricsF metrics(font());
    const qreal lineStep = std::min(metrics.lineSpacing(), kMaxLineStepPx);
    const qreal raise = std::max<qreal>(0, metrics.ascent() - kMaxAscentPx);
    m_layout->beginLayout();
    for (qreal top = 0; top < height(); top += lineStep) {
        QTextLine line = m_layout->createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width() + kLineOverrunPx);
        line.setPosition(QPointF(0, top - raise));
    }
    m_layout->endLayout();
}

void TransLabel::paintEvent(QPaintEvent *)
{
    if (m_caption.isEmpty())
        return;
    if (!m_layout)
        layOutCaption();
    QPainter painter(this);
    painter.setPen(m_textColor);
    m_layout->draw(&painter, QPointF(0, 0));
}

} // namespace card_window
