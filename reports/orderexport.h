#pragma once

#include <QList>
#include <QString>

struct Customer;
struct ReportConfig;
class OrderDetailPage;

// Exports one order as a folder: its photos as JPEG files, byte for byte as
// stored, and its report as a PDF.
class OrderExport
{
public:
    // Photo file names, in photo order: each stored name made safe for a
    // file name, ".jpg" added, and no two alike.
    static QStringList photoFileNames(const Customer &order);

    // Creates "<order number>_<exam date>" (or a free variant of it) in
    // `parent` and returns its path; empty on failure. The folder appears
    // only once everything in it is written. `reportPhotos` are the photos
    // the report shows; all of them when empty.
    static QString exportTo(const QString &parent, const Customer &order,
                            const QList<int> &reportPhotos, const ReportConfig &config);

    // Asks for the folder to export the page's order into and tells the user
    // how it went.
    static void run(OrderDetailPage *page);
};
