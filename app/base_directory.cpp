#include "base_directory.h"

#include "system_values.h"

namespace shell {

QString runDirectoryOf(const QString &programPath)
{
    const qsizetype cut = programPath.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? QString() : programPath.left(cut);
}

QString baseDirectoryOf(const QString &programPath)
{
    const QString runDirectory = runDirectoryOf(programPath);
    return joinTexts({runDirectory, u"/"});
}

} // namespace shell
