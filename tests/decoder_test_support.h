#pragma once

// Shared pieces of the decoder suites: fixture bytes as QByteArray for the
// data tables, one comparison that names the first differing pixel, and the
// table columns and checks that every still decoder suite uses.

#include "picture.h"
#include "still_fixtures.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtTest>

#include <optional>

namespace decoder_test {

inline QByteArray toByteArray(const still_fixtures::Bytes &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

inline pictures::Bytes span(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

inline QList<quint32> toList(const std::vector<std::uint32_t> &pixels)
{
    return QList<quint32>(pixels.begin(), pixels.end());
}

// An empty string when image has the expected size and pixels, else what differs.
inline QString differences(const pictures::Image &image, int width, int height, const QList<quint32> &pixels)
{
    if (image.width != width || image.height != height)
        return QStringLiteral("size %1x%2, expected %3x%4").arg(image.width).arg(image.height).arg(width).arg(height);
    if (qsizetype(image.pixels.size()) != pixels.size())
        return QStringLiteral("%1 pixels, expected %2").arg(image.pixels.size()).arg(pixels.size());
    for (qsizetype i = 0; i < pixels.size(); ++i) {
        if (image.pixels[std::size_t(i)] != pixels[i])
            return QStringLiteral("pixel (%1, %2) is %3, expected %4")
                .arg(i % width)
                .arg(i / width)
                .arg(image.pixels[std::size_t(i)], 8, 16, QLatin1Char('0'))
                .arg(pixels[i], 8, 16, QLatin1Char('0'));
    }
    return {};
}

// The columns of a table of bytes and the picture they decode to.
inline void addDecodedColumns()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QList<quint32>>("pixels");
}

// Checks that the current row's bytes decode to its picture.
template <typename Decoder>
void verifyDecodes(Decoder decode)
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QList<quint32>, pixels);

    const auto image = decode(span(bytes));
    QVERIFY(image);
    const QString difference = differences(*image, width, height, pixels);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

// A row of a table of bytes that give no picture; its one column is "bytes".
inline void addRejects(const char *name, const still_fixtures::Bytes &bytes)
{
    QTest::newRow(name) << toByteArray(bytes);
}

} // namespace decoder_test
