#include "card_fonts.h"

#include <QApplication>

namespace card_window {

namespace {

constexpr int kCharacterHeightPx = 12;

} // namespace

QFont cardFont(CardFace face)
{
    QFont font = QApplication::font();
    switch (face) {
    case CardFace::Default:
        break;
    case CardFace::YaHei:
        font.setFamilies({QStringLiteral("微软雅黑"), QStringLiteral("Noto Sans CJK SC")});
        break;
    case CardFace::SimSun:
        font.setFamilies({QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC")});
        break;
    }
    font.setPixelSize(kCharacterHeightPx);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

} // namespace card_window
