#pragma once

#include <QFont>

namespace card_window {

// The faces the card names; where one is not installed a CJK face of the same
// style stands in, and failing that the platform's default face.
enum class CardFace {
    Default, // no face named: the application's default face
    YaHei,   // "微软雅黑"
    SimSun,  // "宋体"
};

// The face at the card's 12-pixel character (em) height and normal weight.
QFont cardFont(CardFace face);

} // namespace card_window
