#pragma once

#include "reports/reportlayout.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

struct Customer;
struct ReportConfig;
class QWidget;

// Writes a report sheet as an archival PDF (PDF/A-1b: fonts embedded, the
// document information repeated as XMP), rendered as on paper: real text and
// each photo at its own resolution.
class ReportPdfWriter
{
public:
    struct Info
    {
        QString title;
        QString author; // the company that issues the report
        QString subject;
    };

    // Title, author and subject of the report of `order`.
    static Info infoFor(const ReportConfig &config, const Customer &order);

    // The PDF of `sheet` on A4 pages; empty when it could not be made.
    static QByteArray render(QWidget *sheet, const QList<ReportLayout::Band> &keepWhole,
                             const Info &info, const QDateTime &created,
                             const QString &runningHeader = {});

    // Renders and writes `path` whole: until everything is on disk the file
    // appears under a temporary name only, and nothing stays behind on failure.
    static bool write(const QString &path, QWidget *sheet,
                      const QList<ReportLayout::Band> &keepWhole, const Info &info,
                      const QString &runningHeader = {});

private:
    static QByteArray xmpPacket(const Info &info, const QString &producer,
                                const QDateTime &created);
    // Qt's writer puts only its own name and the title in the document
    // information; an update appended to the file replaces that entry.
    static bool appendInfoUpdate(QByteArray &pdf, const Info &info, const QString &producer,
                                 const QDateTime &created);
};
