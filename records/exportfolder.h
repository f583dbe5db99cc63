#pragma once

#include <QString>

// The folder the user last exported to (a report, an order, a list), offered
// again by the next file chooser of this session.
class ExportFolder
{
public:
    // The last folder chosen, or the user's documents folder.
    static QString last();
    // Remembers the folder of `path` (a file or a folder itself when `isFolder`).
    static void remember(const QString &path, bool isFolder = false);
};
