#include "title_keeper.h"

#include "card_window.h"
#include "system_values.h"
#include "trans_label.h"

namespace shell {

namespace {

constexpr char kTitle[] = "Qarnelo论坛签名档评分图片生成器 - By：Morvane";

constexpr char16_t kHelpText[] = u"图片请放在软件目录下，输入完整文件名（含后缀），即改即生效。\r\n"
                                 u"修改完直接截图即可，QQ截图默认快捷键为Ctrl+Alt+A。\r\n"
                                 u"[Qarnelo] Morvane 制作。";

constexpr QStringView kHelpLabel = u"透明标签25";

} // namespace

QByteArrayView titleBytes()
{
    return QByteArrayView(kTitle, qsizetype(sizeof(kTitle) - 1));
}

QStringView helpText()
{
    return kHelpText;
}

QString textOfBytes(QByteArrayView bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? bytes : bytes.first(zero));
}

void keepTitleAndHelpText(card_window::CardWindow &window, std::optional<QByteArray> &titleCopy)
{
    titleCopy = copyBytes(titleBytes());
    if (window.caption() != textOfBytes(*titleCopy))
        window.setCaption(textOfBytes(*titleCopy));

    auto *helpLabel = window.control<card_window::TransLabel>(kHelpLabel);
    if (helpLabel && helpLabel->caption() != helpText())
        helpLabel->setCaption(helpText().toString());
}

} // namespace shell
