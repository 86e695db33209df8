#include "text_binding.h"

#include "card_window.h"
#include "edit_box.h"
#include "trans_label.h"

#include <array>
#include <utility>

namespace card_editing {

namespace {

// The twenty-four text bindings, field to label. The coin, heat and reason
// fields are numbered from the bottom row up and the reason labels of rows 1
// and 2 are swapped, so only this table says which field feeds which label.
constexpr std::array<std::pair<QStringView, QStringView>, 24> kTextBindings{{
    {u"编辑框1", u"透明标签13"}, {u"编辑框2", u"透明标签14"}, {u"编辑框3", u"透明标签15"},
    {u"编辑框4", u"透明标签16"}, {u"编辑框5", u"透明标签17"}, {u"编辑框6", u"透明标签18"},
    {u"编辑框12", u"透明标签1"}, {u"编辑框11", u"透明标签2"}, {u"编辑框10", u"透明标签3"},
    {u"编辑框9", u"透明标签4"},  {u"编辑框8", u"透明标签5"},  {u"编辑框7", u"透明标签6"},
    {u"编辑框18", u"透明标签7"}, {u"编辑框17", u"透明标签8"}, {u"编辑框16", u"透明标签9"},
    {u"编辑框15", u"透明标签10"}, {u"编辑框14", u"透明标签11"}, {u"编辑框13", u"透明标签12"},
    {u"编辑框24", u"透明标签20"}, {u"编辑框23", u"透明标签19"}, {u"编辑框22", u"透明标签21"},
    {u"编辑框21", u"透明标签22"}, {u"编辑框20", u"透明标签23"}, {u"编辑框19", u"透明标签24"},
}};

} // namespace

QStringView textBindingLabelOf(QStringView fieldName)
{
    for (const auto &[field, label] : kTextBindings) {
        if (field == fieldName)
            return label;
    }
    return {};
}

void applyTextBinding(card_window::CardWindow &window, QStringView fieldName, QStringView labelName)
{
    auto *field = window.control<card_window::EditBox>(fieldName);
    auto *label = window.control<card_window::TransLabel>(labelName);
    if (!field || !label)
        return;
    // Passed whole and unchanged; the label keeps its own copy and has
    // repainted by the time this returns.
    label->setCaption(field->text());
}

} // namespace card_editing
