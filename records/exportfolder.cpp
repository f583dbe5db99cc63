#include "records/exportfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString &lastFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString ExportFolder::last()
{
    if (!lastFolder().isEmpty() && QFileInfo(lastFolder()).isDir())
        return lastFolder();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

void ExportFolder::remember(const QString &path, bool isFolder)
{
    lastFolder() = isFolder ? QFileInfo(path).absoluteFilePath() : QFileInfo(path).absolutePath();
}
