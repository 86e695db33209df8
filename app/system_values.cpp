#include "system_values.h"

#include "fatal_error.h"

#include <new>

namespace shell {

namespace {

AllocationRefusal &refusal()
{
    static AllocationRefusal instance;
    return instance;
}

// Bytes requested for a text of the given length, with its terminating zero.
qsizetype textBytes(qsizetype length)
{
    return (length + 1) * qsizetype(sizeof(char16_t));
}

void requireMemory(qsizetype bytes)
{
    if (refusal() && refusal()(bytes))
        reportOutOfMemory(bytes);
}

} // namespace

void setAllocationRefusal(AllocationRefusal newRefusal)
{
    refusal() = std::move(newRefusal);
}

QString copyText(QStringView text)
{
    return joinTexts({text});
}

QString joinTexts(std::initializer_list<QStringView> parts)
{
    qsizetype length = 0;
    for (QStringView part : parts)
        length += part.size();
    requireMemory(textBytes(length));
    try {
        QString joined;
        joined.reserve(length);
        for (QStringView part : parts)
            joined.append(part);
        return joined;
    } catch (const std::bad_alloc &) {
        reportOutOfMemory(textBytes(length));
    }
}

QByteArray copyBytes(QByteArrayView bytes)
{
    requireMemory(bytes.size());
    try {
        return QByteArray(bytes.data(), bytes.size());
    } catch (const std::bad_alloc &) {
        reportOutOfMemory(bytes.size());
    }
}

} // namespace shell
