#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <initializer_list>

namespace shell {

// Copies of the system's own values. When memory for one cannot be had the
// process ends through reportOutOfMemory with the requested byte count.
QString copyText(QStringView text);
QString joinTexts(std::initializer_list<QStringView> parts);
QByteArray copyBytes(QByteArrayView bytes);

// Test seam: a refusal that returns true makes the request of that many bytes
// fail as if the platform had refused it.
using AllocationRefusal = std::function<bool(qsizetype bytes)>;
void setAllocationRefusal(AllocationRefusal refusal);

} // namespace shell
