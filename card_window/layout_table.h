#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace card_window {

enum class ControlKind { Timer, EditBox, TransLabel, PicBox };

// Own: the pointer the control kind shows by itself; Hand: the pointing hand.
enum class Pointer { Own, Hand };

// The event of a control that has a handler bound.
enum class BoundEvent { None, Tick, LeftPress, Change };

struct Rect {
    int left;
    int top;
    int width;
    int height;
};

struct LayoutEntry {
    std::string_view name;
    ControlKind kind;
    std::string_view parent; // empty: the card window
    Rect rect;               // in the parent's client area
    bool shown;
    bool tabStop;
    int traversalRank;
    Pointer pointer;
    BoundEvent boundEvent;
};

// Client size of the card window and its outer size with frame and title bar.
inline constexpr int kClientWidth = 625;
inline constexpr int kClientHeight = 600;
inline constexpr int kOuterWidth = 631;
inline constexpr int kOuterHeight = 625;

// The 69 controls in stacking order: among siblings an earlier entry lies
// above a later one.
inline constexpr std::array<LayoutEntry, 69> kLayout{{
    {"时钟1", ControlKind::Timer, "", {480, 552, 26, 26}, false, false, 0, Pointer::Own, BoundEvent::Tick},
    {"图片框8", ControlKind::PicBox, "", {536, 528, 64, 64}, true, false, 0, Pointer::Hand, BoundEvent::LeftPress},
    {"透明标签30", ControlKind::TransLabel, "", {360, 352, 32, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签29", ControlKind::TransLabel, "", {272, 352, 40, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签28", ControlKind::TransLabel, "", {184, 352, 56, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签27", ControlKind::TransLabel, "", {96, 352, 32, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签26", ControlKind::TransLabel, "", {16, 352, 32, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签25", ControlKind::TransLabel, "", {8, 536, 448, 48}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"编辑框25", ControlKind::EditBox, "", {8, 504, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框26", ControlKind::EditBox, "", {8, 480, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框27", ControlKind::EditBox, "", {8, 456, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框28", ControlKind::EditBox, "", {8, 432, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框29", ControlKind::EditBox, "", {8, 408, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框30", ControlKind::EditBox, "", {8, 384, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"图片框5", ControlKind::PicBox, "", {22, 281, 24, 24}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"图片框6", ControlKind::PicBox, "", {22, 244, 24, 24}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"图片框7", ControlKind::PicBox, "", {22, 207, 24, 24}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"图片框4", ControlKind::PicBox, "", {22, 170, 24, 24}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"图片框3", ControlKind::PicBox, "", {22, 133, 24, 24}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"图片框2", ControlKind::PicBox, "图片框1", {22, 96, 24, 24}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"编辑框19", ControlKind::EditBox, "", {352, 504, 250, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框20", ControlKind::EditBox, "", {352, 480, 250, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框21", ControlKind::EditBox, "", {352, 456, 250, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框22", ControlKind::EditBox, "", {352, 432, 250, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框23", ControlKind::EditBox, "", {352, 408, 250, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框24", ControlKind::EditBox, "", {352, 384, 250, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框13", ControlKind::EditBox, "", {264, 504, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框14", ControlKind::EditBox, "", {264, 480, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框15", ControlKind::EditBox, "", {264, 456, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框16", ControlKind::EditBox, "", {264, 432, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框17", ControlKind::EditBox, "", {264, 408, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框18", ControlKind::EditBox, "", {264, 384, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框7", ControlKind::EditBox, "", {176, 504, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框8", ControlKind::EditBox, "", {176, 480, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框9", ControlKind::EditBox, "", {176, 456, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框10", ControlKind::EditBox, "", {176, 432, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框11", ControlKind::EditBox, "", {176, 408, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框12", ControlKind::EditBox, "", {176, 384, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框6", ControlKind::EditBox, "", {88, 504, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框5", ControlKind::EditBox, "", {88, 480, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框4", ControlKind::EditBox, "", {88, 456, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框3", ControlKind::EditBox, "", {88, 432, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框2", ControlKind::EditBox, "", {88, 408, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"编辑框1", ControlKind::EditBox, "", {88, 384, 72, 21}, true, true, 0, Pointer::Own, BoundEvent::Change},
    {"透明标签13", ControlKind::TransLabel, "", {50, 101, 100, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签14", ControlKind::TransLabel, "", {50, 138, 100, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签15", ControlKind::TransLabel, "", {50, 175, 100, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签16", ControlKind::TransLabel, "", {50, 212, 100, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签17", ControlKind::TransLabel, "", {50, 249, 100, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签18", ControlKind::TransLabel, "", {50, 286, 100, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签19", ControlKind::TransLabel, "", {354, 139, 254, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签20", ControlKind::TransLabel, "", {354, 102, 262, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签21", ControlKind::TransLabel, "", {354, 176, 262, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签22", ControlKind::TransLabel, "", {354, 213, 254, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签23", ControlKind::TransLabel, "", {354, 250, 254, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签24", ControlKind::TransLabel, "", {354, 287, 254, 16}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签7", ControlKind::TransLabel, "", {250, 99, 100, 13}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签8", ControlKind::TransLabel, "", {250, 136, 100, 13}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签9", ControlKind::TransLabel, "", {250, 173, 100, 13}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签10", ControlKind::TransLabel, "", {250, 210, 100, 13}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签11", ControlKind::TransLabel, "", {250, 247, 100, 13}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签12", ControlKind::TransLabel, "", {250, 284, 100, 13}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签4", ControlKind::TransLabel, "", {146, 210, 100, 13}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签5", ControlKind::TransLabel, "", {146, 247, 100, 13}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签6", ControlKind::TransLabel, "", {146, 284, 100, 13}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签3", ControlKind::TransLabel, "", {146, 173, 100, 13}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签2", ControlKind::TransLabel, "", {146, 136, 100, 13}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"透明标签1", ControlKind::TransLabel, "图片框1", {146, 99, 100, 13}, true, false, 0, Pointer::Own, BoundEvent::None},
    {"图片框1", ControlKind::PicBox, "", {0, 0, 632, 344}, true, false, 0, Pointer::Own, BoundEvent::None},
}};

constexpr int layoutIndexOf(std::string_view name)
{
    for (std::size_t i = 0; i < kLayout.size(); ++i) {
        if (kLayout[i].name == name)
            return int(i);
    }
    return -1;
}

namespace detail {

constexpr bool namesAreUnique()
{
    for (std::size_t i = 0; i < kLayout.size(); ++i) {
        for (std::size_t j = i + 1; j < kLayout.size(); ++j) {
            if (kLayout[i].name == kLayout[j].name)
                return false;
        }
    }
    return true;
}

// Controls are created from the last entry to the first, so a parent must
// stand later in the table than its children.
constexpr bool parentsCreatedFirst()
{
    for (std::size_t i = 0; i < kLayout.size(); ++i) {
        if (!kLayout[i].parent.empty() && layoutIndexOf(kLayout[i].parent) <= int(i))
            return false;
    }
    return true;
}

constexpr int countOf(ControlKind kind)
{
    return int(std::count_if(kLayout.begin(), kLayout.end(), [kind](const LayoutEntry &e) { return e.kind == kind; }));
}

} // namespace detail

static_assert(detail::namesAreUnique());
static_assert(detail::parentsCreatedFirst());
static_assert(detail::countOf(ControlKind::EditBox) == 30);
static_assert(detail::countOf(ControlKind::TransLabel) == 30);
static_assert(detail::countOf(ControlKind::PicBox) == 8);
static_assert(detail::countOf(ControlKind::Timer) == 1);

} // namespace card_window
