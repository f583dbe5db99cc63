#include "reports/reportpdfwriter.h"

#include "i18n/langmanager.h"
#include "records/store/customer.h"
#include "records/store/jsonfilestore.h"
#include "records/store/reportconfig.h"
#include "reports/reportprinter.h"

#include <QBuffer>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTimeZone>

namespace {

const char Producer[] = "Lumaural";

// A PDF text string: UTF-16BE with its byte order mark, so Chinese and German
// names survive; every byte escaped that a literal string cannot hold as is.
QByteArray pdfString(const QString &text)
{
    QByteArray utf16("\xfe\xff", 2);
    for (const QChar c : text) {
        utf16.append(char(c.unicode() >> 8));
        utf16.append(char(c.unicode() & 0xff));
    }
    QByteArray out("(");
    for (const char byte : utf16) {
        if (byte == '(' || byte == ')' || byte == '\\')
            out.append('\\').append(byte);
        else if (byte == '\r')
            out.append("\\r");
        else if (byte == '\n')
            out.append("\\n");
        else
            out.append(byte);
    }
    return out.append(')');
}

QByteArray pdfDate(const QDateTime &time)
{
    return "(D:" + time.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + "Z)";
}

QString xmlText(const QString &text)
{
    return text.toHtmlEscaped();
}

} // namespace

ReportPdfWriter::Info ReportPdfWriter::infoFor(const ReportConfig &config, const Customer &order)
{
    Info info;
    info.title = config.reportTitle.isEmpty() ? uiText(QStringLiteral("report.default_title"),
                                                       QStringLiteral("Inspection Report"))
                                              : config.reportTitle;
    info.author = config.companyName.trimmed();
    info.subject = uiText(QStringLiteral("report.pdf_subject"),
                          QStringLiteral("Inspection report of %1, order %2"))
                       .arg(order.name.trimmed(), order.orderNumber.trimmed());
    return info;
}

QByteArray ReportPdfWriter::xmpPacket(const Info &info, const QString &producer,
                                      const QDateTime &created)
{
    const QString date = created.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
    const QString xmp =
        QStringLiteral(
            "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?>\n"
            "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
            "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
            "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
            "<dc:format>application/pdf</dc:format>\n"
            "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">%1</rdf:li></rdf:Alt></dc:title>\n"
            "<dc:creator><rdf:Seq><rdf:li>%2</rdf:li></rdf:Seq></dc:creator>\n"
            "<dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">%3</rdf:li></rdf:Alt>"
            "</dc:description>\n"
            "</rdf:Description>\n"
            "<rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" "
            "xmp:CreatorTool=\"%4\" xmp:CreateDate=\"%5\" xmp:ModifyDate=\"%5\"/>\n"
            "<rdf:Description rdf:about=\"\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\" "
            "pdf:Producer=\"%4\"/>\n"
            "<rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\" "
            "pdfaid:part=\"1\" pdfaid:conformance=\"B\"/>\n"
            "</rdf:RDF>\n"
            "</x:xmpmeta>\n"
            "<?xpacket end='w'?>")
            .arg(xmlText(info.title), xmlText(info.author), xmlText(info.subject),
                 xmlText(producer), date);
    return xmp.toUtf8();
}

bool ReportPdfWriter::appendInfoUpdate(QByteArray &pdf, const Info &info, const QString &producer,
                                       const QDateTime &created)
{
    // The trailer of what Qt wrote: where its cross-reference table starts,
    // how many objects there are, the catalogue and the file's identifier.
    static const QRegularExpression trailer(
        QStringLiteral("trailer\\s*<<(.*)>>\\s*startxref\\s*(\\d+)\\s*%%EOF\\s*$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QString tail = QString::fromLatin1(pdf.right(1024));
    const QRegularExpressionMatch match = trailer.match(tail);
    if (!match.hasMatch())
        return false;
    const QString dictionary = match.captured(1);
    const auto entry = [&dictionary](const QString &pattern) {
        return QRegularExpression(pattern).match(dictionary).captured(1);
    };
    const QString size = entry(QStringLiteral("/Size\\s+(\\d+)"));
    const QString root = entry(QStringLiteral("/Root\\s+(\\d+\\s+\\d+\\s+R)"));
    const QString id = entry(QStringLiteral("/ID\\s*(\\[[^\\]]*\\])"));
    const QString infoObject = entry(QStringLiteral("/Info\\s+(\\d+)\\s+0\\s+R"));
    if (size.isEmpty() || root.isEmpty() || id.isEmpty() || infoObject.isEmpty())
        return false;

    if (!pdf.endsWith('\n'))
        pdf.append('\n');
    const qint64 offset = pdf.size();
    pdf.append(infoObject.toLatin1() + " 0 obj\n<<\n/Title " + pdfString(info.title) +
               "\n/Author " + pdfString(info.author) + "\n/Subject " + pdfString(info.subject) +
               "\n/Creator " + pdfString(producer) + "\n/Producer " + pdfString(producer) +
               "\n/CreationDate " + pdfDate(created) + "\n/ModDate " + pdfDate(created) +
               "\n>>\nendobj\n");
    const qint64 xref = pdf.size();
    pdf.append("xref\n0 1\n0000000000 65535 f \n" + infoObject.toLatin1() + " 1\n" +
               QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n");
    pdf.append("trailer\n<<\n/Size " + size.toLatin1() + "\n/Info " + infoObject.toLatin1() +
               " 0 R\n/Root " + root.toLatin1() + "\n/ID " + id.toLatin1() + "\n/Prev " +
               match.captured(2).toLatin1() + "\n>>\nstartxref\n" + QByteArray::number(xref) +
               "\n%%EOF\n");
    return true;
}

QByteArray ReportPdfWriter::render(QWidget *sheet, const QList<ReportLayout::Band> &keepWhole,
                                   const Info &info, const QDateTime &created,
                                   const QString &runningHeader)
{
    const QString producer = QString::fromLatin1(Producer);
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
        // The printer's own resolution in Qt's high-resolution mode, so the
        // file and paper break their pages at the same places.
        writer.setResolution(1200);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setTitle(info.title);
        writer.setCreator(producer);
        writer.setDocumentXmpMetadata(xmpPacket(info, producer, created));
        if (ReportPrinter::printSheet(sheet, &writer, keepWhole, runningHeader) == 0)
            return {};
    }
    if (!appendInfoUpdate(pdf, info, producer, created))
        return {};
    return pdf;
}

bool ReportPdfWriter::write(const QString &path, QWidget *sheet,
                            const QList<ReportLayout::Band> &keepWhole, const Info &info,
                            const QString &runningHeader)
{
    const QByteArray pdf =
        render(sheet, keepWhole, info, QDateTime::currentDateTimeUtc(), runningHeader);
    if (pdf.isEmpty())
        return false;
    return JsonFileStore::writeFileWhole(path, pdf);
}
