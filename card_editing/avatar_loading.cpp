#include "avatar_loading.h"

#include "card_window.h"
#include "edit_box.h"
#include "pic_box.h"
#include "read_whole_file.h"
#include "system_values.h"

#include <array>

namespace card_editing {

namespace {

struct AvatarBinding {
    QStringView field;
    QStringView box;
};

// Fields count up from card row 6, and the boxes of rows 4 to 6 run
// backwards; this table alone decides which field feeds which box.
constexpr std::array kAvatarBindings = {
    AvatarBinding{u"编辑框30", u"图片框2"}, // card row 1
    AvatarBinding{u"编辑框29", u"图片框3"}, // card row 2
    AvatarBinding{u"编辑框28", u"图片框4"}, // card row 3
    AvatarBinding{u"编辑框27", u"图片框7"}, // card row 4
    AvatarBinding{u"编辑框26", u"图片框6"}, // card row 5
    AvatarBinding{u"编辑框25", u"图片框5"}, // card row 6
};

} // namespace

QStringView avatarBindingBoxOf(QStringView fieldName)
{
    for (const AvatarBinding &binding : kAvatarBindings) {
        if (binding.field == fieldName)
            return binding.box;
    }
    return {};
}

QString avatarPath(QStringView baseDirectory, QStringView typedName)
{
    // No trimming, no extension, no separator check: the file system
    // resolves subfolders and ".." as they stand.
    return shell::joinTexts({baseDirectory, typedName});
}

void loadAvatar(card_window::CardWindow &window, QStringView fieldName, QStringView boxName,
                const QString &baseDirectory)
{
    const auto *field = window.control<card_window::EditBox>(fieldName);
    auto *box = window.control<card_window::PicBox>(boxName);
    if (!field || !box)
        return;
    // Every change reads the file anew; an unreadable name empties the box,
    // so a previous picture never stays behind.
    box->setPicture(readWholeFile(avatarPath(baseDirectory, field->text())));
}

} // namespace card_editing
