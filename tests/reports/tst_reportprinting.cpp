// The report sheet, its panels and the paged PDF output; the files reports
// leave behind: the report settings, safe export names, the CSV list and the
// folder of one order.
#include "app/startup.h"
#include "records/exportfolder.h"
#include "records/exportnaming.h"
#include "records/ordercsv.h"
#include "records/orderdetailpage.h"
#include "records/orderpage.h"
#include "records/reportphoto.h"
#include "records/store/fileidentity.h"
#include "records/store/recordstore.h"
#include "records/store/reportconfig.h"
#include "reports/notespanel.h"
#include "reports/orderexport.h"
#include "reports/printpanel.h"
#include "reports/reportlayout.h"
#include "reports/reportpdfwriter.h"
#include "reports/reportphotocell.h"
#include "reports/reportprinter.h"
#include "reports/reportsheet.h"
#include "ui/common/roundedcheckbox.h"

#include "../records/pagedriver.h"

#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPaintEngine>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintEngine>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <optional>

Q_DECLARE_METATYPE(ReportLayout::Band)

namespace {

using TestSupport::readFile;
using TestSupport::writeFile;

QString photo(const QString &name, QSize size = QSize(1280, 720))
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), QColor(190, 70, 60));
    for (int x = 0; x < size.width(); x += 8) // fine detail that blurs when scaled down
        painter.fillRect(x, 0, 2, size.height(), Qt::white);
    return photoEntry({QPixmap::fromImage(image), name});
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Four coloured bands; the cut between pages falls between green and magenta.
class BandSheet : public QWidget
{
public:
    qreal cut = 0;
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const qreal band = cut / 10;
        p.fillRect(QRectF(0, 0, width(), cut - band), Qt::blue);
        p.fillRect(QRectF(0, cut - band, width(), band), Qt::green);
        p.fillRect(QRectF(0, cut, width(), band), Qt::magenta);
        p.fillRect(QRectF(0, cut + band, width(), height() - cut - band), Qt::red);
    }
};

// A printer that takes `pages` pages and refuses to start another, as one
// that runs out of paper or loses its connection part-way.
class RefusingPrinter : public QPrinter
{
public:
    explicit RefusingPrinter(int pages) : QPrinter(QPrinter::HighResolution), m_engine(pages)
    {
        setEngines(&m_engine, &m_engine);
    }

private:
    class Engine : public QPaintEngine, public QPrintEngine
    {
    public:
        explicit Engine(int pages) : QPaintEngine(AllFeatures), m_pagesLeft(pages) {}

        bool begin(QPaintDevice *) override
        {
            m_state = QPrinter::Active;
            return true;
        }
        bool end() override
        {
            if (m_state == QPrinter::Active)
                m_state = QPrinter::Idle;
            return true;
        }
        void updateState(const QPaintEngineState &) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawImage(const QRectF &, const QImage &, const QRectF &,
                       Qt::ImageConversionFlags) override
        {
        }
        void drawPath(const QPainterPath &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF &, const QTextItem &) override {}
        Type type() const override { return User; }

        void setProperty(PrintEnginePropertyKey, const QVariant &) override {}
        QVariant property(PrintEnginePropertyKey key) const override
        {
            if (key == PPK_QPageLayout)
                return QVariant::fromValue(
                    QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
            if (key == PPK_Resolution)
                return Dpi;
            return {};
        }
        bool newPage() override { return --m_pagesLeft > 0; }
        bool abort() override
        {
            m_state = QPrinter::Aborted;
            return true;
        }
        int metric(QPaintDevice::PaintDeviceMetric metric) const override
        {
            // A4 at 300 dpi.
            static const QHash<int, int> values{{QPaintDevice::PdmWidth, 2480},
                                                {QPaintDevice::PdmHeight, 3508},
                                                {QPaintDevice::PdmWidthMM, 210},
                                                {QPaintDevice::PdmHeightMM, 297},
                                                {QPaintDevice::PdmNumColors, INT_MAX},
                                                {QPaintDevice::PdmDepth, 32},
                                                {QPaintDevice::PdmDevicePixelRatio, 1},
                                                {QPaintDevice::PdmDevicePixelRatioScaled,
                                                 int(QPaintDevice::devicePixelRatioFScale())}};
            return values.value(metric, Dpi);
        }
        QPrinter::PrinterState printerState() const override { return m_state; }

    private:
        static constexpr int Dpi = 300;
        int m_pagesLeft;
        QPrinter::PrinterState m_state = QPrinter::Idle;
    };

    Engine m_engine;
};

QString runTool(const QString &tool, const QStringList &args)
{
    QProcess process;
    process.start(tool, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("%s failed", qPrintable(tool));
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// Points `printer` at an A4 PDF file.
void printToPdf(QPrinter &printer, const QString &path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
}

// The lines of `pdfimages -list`, one per embedded picture.
QStringList embeddedImages(const QString &pdf)
{
    return runTool("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts).mid(2);
}

// Prints `sheet` to a PDF and rasterises its pages at `dpi`.
QList<QImage> printToImages(QWidget *sheet, const QString &dir, int dpi, int *pages)
{
    QPrinter printer(QPrinter::HighResolution);
    printToPdf(printer, dir + "/report.pdf");
    *pages = ReportPrinter::printSheet(sheet, &printer);
    runTool("pdftoppm", {"-aaVector", "no", "-r", QString::number(dpi), "-png", dir + "/report.pdf",
                         dir + "/page"});
    QList<QImage> images;
    for (int i = 1; i <= *pages; ++i)
        images.append(
            QImage(dir + QString("/page-%1.png").arg(i)).convertToFormat(QImage::Format_RGB32));
    return images;
}

// The colour a quarter across row `y` (clear of the centred page number),
// rounded to full channels.
QRgb columnPixel(const QImage &image, int y)
{
    const QRgb pixel = image.pixel(image.width() / 4, y);
    auto full = [](int channel) { return channel > 127 ? 255 : 0; };
    return qRgb(full(qRed(pixel)), full(qGreen(pixel)), full(qBlue(pixel))) & 0xffffff;
}

// Types into the order's notes where the panel has them, else the shared ones,
// and saves: true when the failure was told and the panel stayed open with the text.
template <typename Host> bool failedSaveKeepsThePanel(Host *host)
{
    std::shared_ptr<TestSupport::PromptRecord> prompt;
    bool stillOpen = false;
    whenModalShown<NotesPanel>([&](NotesPanel *panel) {
        QPlainTextEdit *editor = panel->orderEditor() ? panel->orderEditor() : panel->editor();
        editor->setPlainText("new");
        prompt = TestSupport::answerNextPrompt(TestSupport::Answer::Ok);
        child<QPushButton>(*panel, "notesSaveButton")->click();
        stillOpen = panel->isVisible() && editor->toPlainText() == "new";
        panel->reject();
    });
    NotesPanel::open(host);
    return prompt && prompt->seen && stillOpen;
}

} // namespace

class TestReportPrinting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Its metrics on screen and on paper differ more than the default font's.
        QApplication::setFont(Startup::applicationFont());
        QVERIFY(useShippedLanguage("en_US"));
        QFile::remove(reportConfigPath());
    }

    void headerAndCustomerGridShowTheOrder_data()
    {
        QTest::addColumn<Customer>("order");
        // Exam time, number, name, gender, phone, birthday, address, age.
        QTest::addColumn<QStringList>("shown");
        Customer filled;
        filled.createdAt = "2025-03-04T10:11:12.345+01:00";
        filled.orderNumber = "A-7";
        filled.gender = "女";
        filled.phone = "030-1";
        filled.age = 0;
        QTest::newRow("filled")
            << filled
            << QStringList{"2025.03.04 10:11:12", "A-7", "-", "Female", "030-1", "-", "-", "0"};
        Customer odd;
        odd.gender = "secret";
        odd.age = -7;
        odd.birthDate = "02-01-1990";
        QTest::newRow("unknown gender, negative age")
            << odd << QStringList{"", "", "-", "Not specified", "-", "02.01.1990", "-", "-"};
    }

    void headerAndCustomerGridShowTheOrder()
    {
        QFETCH(Customer, order);
        ReportSheet sheet(ReportConfig(), order, {}, 988);
        QStringList shown;
        for (const char *name : {"reportExamTime", "reportNumber", "reportName", "reportGender",
                                 "reportPhone", "reportBirthDate", "reportAddress", "reportAge"})
            shown.append(child<QLabel>(sheet, name)->text());
        QTEST(shown, "shown");
    }

    void slicesFollowEachOtherOnPaper()
    {
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        BandSheet sheet;
        sheet.resize(800, 100);
        sheet.cut = ReportPrinter::pagination(&sheet, &printer, {}, {}).sliceHeight;
        sheet.resize(800, int(2 * sheet.cut));
        QCOMPARE(ReportPrinter::pagination(&sheet, &printer, {}, {}).slices.size(), 2);

        int pages = 0;
        const int dpi = 30;
        const QList<QImage> images = printToImages(&sheet, dir.path(), dpi, &pages);
        QCOMPARE(pages, 2);
        QCOMPARE(images.size(), 2);
        QCOMPARE(images.at(1).size(), QSize(qRound(210 / 25.4 * dpi), qRound(297 / 25.4 * dpi)));
        // The first or last painted row, stepping past the blended edge.
        auto coloured = [](const QImage &image, bool fromTop) {
            for (int i = 0; i < image.height(); ++i) {
                const int y = fromTop ? i : image.height() - 1 - i;
                if (columnPixel(image, y) != 0xffffff)
                    return columnPixel(image, fromTop ? y + 2 : y - 2);
            }
            return QRgb(0xffffff);
        };
        // Page one ends in the band right above the cut, page two starts in
        // the band right below it; neither shows the other's colours, and
        // the page numbers below them do not cover them.
        QCOMPARE(coloured(images.at(0), false), QRgb(0x00ff00));
        QCOMPARE(coloured(images.at(0), true), QRgb(0x0000ff));
        QCOMPARE(coloured(images.at(1), true), QRgb(0xff00ff));
        QCOMPARE(coloured(images.at(1), false), QRgb(0xff0000));
    }

    void aReportCutShortIsNotPrinted_data()
    {
        QTest::addColumn<int>("pagesTaken");
        QTest::addColumn<int>("printed");
        QTest::newRow("all pages") << 5 << 2;
        QTest::newRow("second page refused") << 1 << 0;
    }

    void aReportCutShortIsNotPrinted()
    {
        QFETCH(int, pagesTaken);
        RefusingPrinter printer(pagesTaken);
        BandSheet sheet;
        sheet.resize(800, 100);
        const QRectF page(QPointF(), printer.pageLayout().paintRectPixels(300).size());
        sheet.resize(800, int(1.5 * ReportLayout::paginate(sheet.size(), page).sliceHeight));
        QTEST(ReportPrinter::printSheet(&sheet, &printer), "printed");
        QCOMPARE(printer.printerState() == QPrinter::Aborted, pagesTaken == 1);
    }

    // Pages from the second on give up room for the repeated header, every
    // page for its page number; the count is known before the first page.
    void pageLinesTakeTheirRoom_data()
    {
        using Bands = QList<ReportLayout::Band>;
        QTest::addColumn<qreal>("header");
        QTest::addColumn<qreal>("footer");
        QTest::addColumn<int>("sheetHeight");
        QTest::addColumn<Bands>("keepWhole");
        QTest::addColumn<QList<qreal>>("tops");
        QTest::newRow("no lines") << 0.0 << 0.0 << 1000 << Bands{}
                                  << QList<qreal>{0, 300, 600, 900};
        QTest::newRow("footer only")
            << 0.0 << 20.0 << 1000 << Bands{} << QList<qreal>{0, 280, 560, 840};
        QTest::newRow("header and footer")
            << 40.0 << 20.0 << 1000 << Bands{} << QList<qreal>{0, 280, 520, 760};
        QTest::newRow("a row kept whole")
            << 40.0 << 20.0 << 1000 << Bands{{500, 600}} << QList<qreal>{0, 280, 500, 740, 980};
        QTest::newRow("lines taller than the page")
            << 400.0 << 400.0 << 90 << Bands{} << QList<qreal>{0, 30, 60};
        // Pages end between photo rows and lines of text, also where they
        // overlap; only what is taller than a page is cut.
        QTest::newRow("rows overlapping, one taller than a page")
            << 0.0 << 0.0 << 1500 << Bands{{700, 1350}, {280, 310}, {290, 320}, {300, 305}}
            << QList<qreal>{0, 280, 580, 700, 1000, 1300};
    }

    void pageLinesTakeTheirRoom()
    {
        QFETCH(qreal, header);
        QFETCH(qreal, footer);
        QFETCH(int, sheetHeight);
        QFETCH(QList<ReportLayout::Band>, keepWhole);
        QFETCH(QList<qreal>, tops);
        const QRectF page(0, 0, 120, 332); // 100 x 300 in sheet units at scale 1
        const QSize sheet(100, sheetHeight);
        const ReportLayout::Pagination pages =
            ReportLayout::paginate(sheet, page, keepWhole, {header, footer});
        QList<qreal> shown;
        for (const ReportLayout::Slice &slice : pages.slices)
            shown.append(slice.top);
        QCOMPARE(shown, tops);
        if (header + footer >= 300)
            return;
        QCOMPARE(pages.headerRect, QRectF(10, 16, 100, header));
        QCOMPARE(pages.footerRect, QRectF(10, 316 - footer, 100, footer));
        for (int i = 0; i < pages.slices.size(); ++i) {
            const ReportLayout::Slice &slice = pages.slices.at(i);
            // The first page opens with the sheet itself, later ones below
            // the header; none runs into the page number.
            QCOMPARE(slice.pageY, i == 0 ? 16 : pages.headerRect.bottom());
            QVERIFY(slice.pageY + pages.scale * slice.height <= pages.footerRect.top() + 1e-9);
        }
    }

    // Ten photos below notes of a few lengths, so that some pages would end
    // inside a photo row. No page break cuts a row; from the second page on
    // the customer and order head each page, every page tells its number and
    // the count; each photo is in the file once, on the page that shows it.
    void printedPagesKeepRowsWholeAndCarryTheirLines_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("noteLines");
        QTest::addColumn<QString>("lastPage");
        QTest::newRow("en_US") << "en_US"
                               << "Mary <b>O'Neil</b>" << 4 << "Page 2 of 2";
        QTest::newRow("en_US, 3 lines") << "en_US"
                                        << "Ann" << 3 << "Page 2 of 2";
        QTest::newRow("de_DE") << "de_DE" << QStringLiteral("Jürgen Groß") << 1 << "Seite 2 von 2";
        QTest::newRow("zh_CN") << "zh_CN" << QStringLiteral("张三丰") << 2
                               << QStringLiteral("第 2 / 2 页");
    }

    void printedPagesKeepRowsWholeAndCarryTheirLines()
    {
        QFETCH(QString, language);
        QFETCH(QString, name);
        QFETCH(int, noteLines);
        QVERIFY(useShippedLanguage(language));
        Customer order;
        order.name = name;
        order.orderNumber = "A-0815";
        order.fitterName = "Dr. Weber";
        order.notes = QStringList(noteLines, "Notes").join('\n');
        for (int i = 0; i < 10; ++i)
            order.photos.append(photo(QStringLiteral("p%1").arg(i), QSize(64, 36)));
        ReportSheet sheet(loadReportConfig(), order, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 988);
        sheet.fitToWidth(ReportLayout::sheetWidth(988));
        QCOMPARE(sheet.runningHeader(), name + QStringLiteral(" \u00b7 A-0815"));

        QTemporaryDir dir;
        const QString pdf = dir.filePath("report.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printToPdf(printer, pdf);
        const QList<ReportLayout::Slice> slices =
            ReportPrinter::pagination(&sheet, &printer, sheet.keepWhole(), sheet.runningHeader())
                .slices;
        const int count = int(slices.size());
        QVERIFY(count >= 2);
        const auto cells = sheet.findChildren<QFrame *>("reportPhotoCell");
        QCOMPARE(cells.size(), 10);
        for (const ReportLayout::Slice &slice : slices) {
            for (const QFrame *cell : cells) {
                const int top = cell->mapTo(&sheet, QPoint()).y();
                QVERIFY2(slice.top <= top || slice.top >= top + cell->height(),
                         qPrintable(QString("break at %1 cuts %2").arg(slice.top).arg(top)));
            }
        }
        QCOMPARE(
            ReportPrinter::printSheet(&sheet, &printer, sheet.keepWhole(), sheet.runningHeader()),
            count);
        QCOMPARE(embeddedImages(pdf).size(), 10);
        const QStringList pages = runTool("pdftotext", {pdf, "-"}).split('\f');
        QVERIFY2(pages.size() >= count, qPrintable(pages.join("|")));
        QTEST(ReportPrinter::pageNumberText(2, 2), "lastPage");
        // pdftotext reads the embedded Noto Sans CJK subset imperfectly: Latin
        // digits go missing, Chinese spacing too, and 页 comes back as the
        // radical ⻚ (the page renderings show them right). The texts are
        // compared without digits and spaces, the count via the printed count.
        auto digitless = [](QString text) {
            return text.remove(QRegularExpression("[0-9\\s]"))
                .replace(QChar(0x2eda), QChar(0x9875));
        };
        for (int i = 0; i < count; ++i) {
            const QString text = digitless(pages.at(i));
            QVERIFY2(text.contains(digitless(ReportPrinter::pageNumberText(i + 1, count))),
                     qPrintable(text));
            // The first page has the sheet's own header instead.
            QVERIFY2(text.contains(digitless(sheet.runningHeader())) == (i > 0), qPrintable(text));
        }
        if (language == "en_US") {
            // A short name beside the notes stays on one line on paper too.
            const QString text = runTool("pdftotext", {"-layout", pdf, "-"});
            QVERIFY2(text.contains(QRegularExpression("Inspector +Dr\\. Weber")),
                     qPrintable(text.right(300)));
        }
        QVERIFY(useShippedLanguage("en_US"));
    }

    void chineseSheetFitsThePaper()
    {
        QVERIFY(useShippedLanguage("zh_CN"));
        QVERIFY(saveReportConfig({QStringLiteral("  听力中心 <b>  "), QString(),
                                  QStringLiteral("耳道清洁，鼓膜完整。")}));
        Customer order;
        order.name = QStringLiteral("张三");
        order.address = QString(300, QChar(u'路'));
        order.orderNumber = QString(120, QLatin1Char('7'));
        order.fitterName = QStringLiteral("Dr. Anna Weber");
        order.createdAt = QStringLiteral("2025-03-04T10:11:12.345");
        for (int i = 0; i < 5; ++i)
            order.photos.append(photo(QStringLiteral("左耳_%1").arg(i)));
        order.photos.append(QStringLiteral("broken|not a picture"));
        order.photos[1] = photo(QStringLiteral("20250304_101112_R_2"));
        ReportSheet sheet(loadReportConfig(), order, {0, 1, 2, 3, 4, 5}, 988);
        const auto ears = sheet.findChildren<QLabel *>(QStringLiteral("reportPhotoEar"));
        QCOMPARE(ears.size(), 1);
        QCOMPARE(ears.at(0)->text(), QStringLiteral("右耳"));
        const int width = ReportLayout::sheetWidth(988);
        sheet.fitToWidth(width);
        QVERIFY(sheet.minimumSizeHint().width() <= width);
        QCOMPARE(child<QLabel>(sheet, "reportCompany")->text(), QStringLiteral("听力中心 <b>"));
        // A short name beside the long notes stays on one line.
        const auto *inspector = child<QLabel>(sheet, "reportInspector");
        QVERIFY(inspector->height() < 2 * inspector->fontMetrics().height());
        const auto cells = sheet.findChildren<ReportPhotoCell *>();
        QCOMPARE(cells.size(), 6);
        QVERIFY(cells.last()->photo().isNull());

        QTemporaryDir dir;
        int pages = 0;
        const QList<QImage> images = printToImages(&sheet, dir.path(), 60, &pages);
        QVERIFY(pages >= 1);

        // Nothing runs off the right edge: the right margin is about the left one.
        const QImage &first = images.first();
        int left = first.width(), right = 0;
        for (int y = 0; y < first.height(); ++y)
            for (int x = 0; x < first.width(); ++x)
                if ((first.pixel(x, y) & 0xffffff) != 0xffffff) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        QVERIFY2(first.width() - 1 - right >= left / 2, qPrintable(QString::number(right)));
        QVERIFY(useShippedLanguage("en_US"));
    }

    void savedPdfIsArchivalSearchableAndSharp_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("zh_CN") << "zh_CN" << QStringLiteral("张三丰")
                               << QStringLiteral("检查报告单");
        QTest::newRow("en_US") << "en_US"
                               << "Mary O'Neil (Jr.)"
                               << "Inspection Report";
    }

    void savedPdfIsArchivalSearchableAndSharp()
    {
        QFETCH(QString, language);
        QFETCH(QString, name);
        QFETCH(QString, title);
        QVERIFY(useShippedLanguage(language));
        QVERIFY(saveReportConfig({QStringLiteral("Hörzentrum 明亮"), QString(), "ok"}));
        OrderDetailPage page;
        page.resize(1000, 700);
        Customer order;
        order.name = name;
        order.orderNumber = "../A/12";
        order.createdAt = "2025-03-04T10:11:12";
        // Each photo at another size: none may be scaled or come out twice.
        const QList<QSize> sizes = {QSize(1280, 720), QSize(640, 480), QSize(1920, 1080)};
        for (const QSize &size : sizes)
            order.photos.append(photo("p", size));
        page.showOrder(order);
        QCoreApplication::processEvents(); // the page's own second rebuild
        // Without a photo there is no report; then only the ticked ones go in.
        for (RoundedCheckBox *box : page.photoCheckBoxes())
            box->setChecked(false);
        auto prompt = TestSupport::answerNextPrompt(TestSupport::Answer::Ok);
        PrintPanel::open(&page);
        QVERIFY(!prompt->text.isEmpty()); // a message, not the panel
        for (RoundedCheckBox *box : page.photoCheckBoxes())
            box->setChecked(box != page.photoCheckBoxes().at(1));
        QTemporaryDir dir;
        ExportFolder::remember(dir.path(), true);
        QString proposed;
        int printedPages = 0;
        whenModalShown<PrintPanel>([&](PrintPanel *panel) {
            // The same sheet on paper, for its page count.
            QPrinter printer(QPrinter::HighResolution);
            printToPdf(printer, dir.filePath("printed.pdf"));
            printedPages =
                ReportPrinter::printSheet(panel->sheet(), &printer, panel->sheet()->keepWhole());
            whenModalShown<QFileDialog>([&](QFileDialog *dialog) {
                proposed = dialog->selectedFiles().value(0);
                static_cast<QDialog *>(dialog)->accept();
            });
            child<QPushButton>(*panel, "savePdfButton")->click();
        });
        PrintPanel::open(&page);
        const QString pdf = dir.filePath("_A_12_2025-03-04.pdf");
        QCOMPARE(proposed, pdf);

        const QString info = runTool("pdfinfo", {pdf});
        QVERIFY(printedPages >= 1);
        QVERIFY2(info.contains(QRegularExpression(QString("Pages:\\s+%1\n").arg(printedPages))),
                 qPrintable(info));
        QVERIFY2(info.contains("Title:           " + title), qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("Author:          Hörzentrum 明亮")),
                 qPrintable(info));
        QVERIFY2(
            info.contains(QRegularExpression("Subject: .*" + QRegularExpression::escape(name))),
            qPrintable(info));
        const QString meta = runTool("pdfinfo", {"-meta", pdf});
        QVERIFY(meta.contains("pdfaid:part=\"1\"") && meta.contains("pdfaid:conformance=\"B\""));
        QVERIFY(meta.contains(QStringLiteral("<rdf:li>Hörzentrum 明亮</rdf:li>")));
        const QStringList fonts = runTool("pdffonts", {pdf}).split('\n', Qt::SkipEmptyParts).mid(2);
        QVERIFY(!fonts.isEmpty());
        for (const QString &font : fonts)
            QVERIFY2(font.simplified().split(' ').value(font.simplified().count(' ') - 4) == "yes",
                     qPrintable(font));
        const QString text = runTool("pdftotext", {pdf, "-"});
        QVERIFY2(text.contains(name), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Hörzentrum 明亮")));

        QList<QSize> embedded;
        for (const QString &line : embeddedImages(pdf))
            embedded.append(QSize(line.simplified().section(' ', 3, 3).toInt(),
                                  line.simplified().section(' ', 4, 4).toInt()));
        QCOMPARE(embedded, (QList<QSize>{sizes.at(0), sizes.at(2)}));
        QVERIFY(useShippedLanguage("en_US"));
    }

    // A disk that fills up part-way: nothing is left in the folder.
    void aPdfThatCannotBeWrittenLeavesNothing()
    {
        Customer order;
        order.photos = {photo("a")};
        ReportSheet sheet(ReportConfig(), order, {0}, 988);
        sheet.fitToWidth(ReportLayout::sheetWidth(988));
        QTemporaryDir dir;
        std::optional<TestSupport::FileSizeLimit> limit(std::in_place, 20000);
        const bool written = ReportPdfWriter::write(dir.filePath("r.pdf"), &sheet,
                                                    sheet.keepWhole(), ReportPdfWriter::Info());
        limit.reset();
        QVERIFY(!written);
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 {});
        QVERIFY(!ReportPdfWriter::write(dir.filePath("missing/r.pdf"), &sheet, sheet.keepWhole(),
                                        ReportPdfWriter::Info()));
    }

    void notesAreSavedTrimmedAndAFailedSaveKeepsTheText()
    {
        QVERIFY(saveReportConfig({"Clinic", "Title", "old"}));
        QWidget host;
        host.resize(1000, 700);
        const QString notes = QString(10000, QLatin1Char('x')) + "<i>&amp;";
        whenModalShown<NotesPanel>([&](NotesPanel *panel) {
            QCOMPARE(panel->editor()->toPlainText(), QStringLiteral("old"));
            panel->editor()->setPlainText("  " + notes + "\n");
            child<QPushButton>(*panel, "notesSaveButton")->click();
        });
        NotesPanel::open(&host);
        QCOMPARE(loadReportConfig().defaultNotes, notes);
        QCOMPARE(loadReportConfig().companyName, QStringLiteral("Clinic"));

        // A folder where the file should be: the save fails and the user is told.
        QFile::remove(reportConfigPath());
        QVERIFY(QDir().mkpath(reportConfigPath()));
        QVERIFY(failedSaveKeepsThePanel(&host));
        QDir(reportConfigPath()).removeRecursively();

        // Blank notes are stored empty and the report shows "-".
        QVERIFY(saveReportConfig({"", "", ""}));
        ReportSheet sheet(loadReportConfig(), Customer(), {}, 900);
        QCOMPARE(child<QLabel>(sheet, "reportNotes")->text(), QStringLiteral("-"));
        QCOMPARE(child<QLabel>(sheet, "reportTitle")->text(), QStringLiteral("Inspection Report"));
    }

    void orderNotesGoToTheirOrderOnly()
    {
        QVERIFY(saveReportConfig({"Clinic", "Title", "shared"}));
        QList<Customer> orders(3);
        for (int i = 0; i < 3; ++i) {
            orders[i].id = i + 1;
            orders[i].notes = QStringLiteral("old %1").arg(i + 1);
        }
        QVERIFY(saveCustomers(orders));
        OrderDetailPage page;
        page.resize(1000, 700);
        page.showOrder(loadCustomers().at(1));
        const FileIdentity configBefore = FileIdentity::ofPath(reportConfigPath());
        whenModalShown<NotesPanel>([&](NotesPanel *panel) {
            QVERIFY(child<QLabel>(*panel, "sharedNotesCaption")->text().contains("every"));
            QCOMPARE(panel->orderEditor()->toPlainText(), QStringLiteral("old 2"));
            panel->orderEditor()->setPlainText(QStringLiteral("  left canal red \n"));
            child<QPushButton>(*panel, "notesSaveButton")->click();
        });
        NotesPanel::open(&page);
        const QList<Customer> stored = loadCustomers();
        QCOMPARE(stored.at(1).notes, QStringLiteral("left canal red"));
        QCOMPARE(stored.at(0).notes, QStringLiteral("old 1"));
        QCOMPARE(stored.at(2).notes, QStringLiteral("old 3"));
        QCOMPARE(page.currentOrder().notes, QStringLiteral("left canal red"));
        // The shared notes were not touched, so their file was not written.
        QCOMPARE(FileIdentity::ofPath(reportConfigPath()), configBefore);

        // Saving unchanged notes leaves the order file as it is.
        const FileIdentity storeBefore = FileIdentity::ofPath(customersFilePath());
        whenModalShown<NotesPanel>(
            [&](NotesPanel *panel) { child<QPushButton>(*panel, "notesSaveButton")->click(); });
        NotesPanel::open(&page);
        QCOMPARE(FileIdentity::ofPath(customersFilePath()), storeBefore);

        // An order deleted meanwhile: the user is told and the panel stays open.
        QVERIFY(saveCustomers({orders.at(0)}));
        QVERIFY(failedSaveKeepsThePanel(&page));
        QCOMPARE(loadCustomers().size(), 1);
    }

    void reportConfigSavesAllMembersAndRefusesHugeNotes()
    {
        ReportConfig config;
        config.companyName = "Clinic";
        QVERIFY(saveReportConfig(config));
        const QJsonObject stored = QJsonDocument::fromJson(readFile(reportConfigPath())).object();
        QCOMPARE(stored.keys(), (QStringList{"companyName", "defaultNotes", "reportTitle"}));
        QFile::remove(reportConfigPath());

        config.defaultNotes = QString(5 << 20, 'n'); // the reader would refuse it
        QVERIFY(!saveReportConfig(config));
        QVERIFY(!QFile::exists(reportConfigPath()));
    }

    void fileNamesStayInTheFolder()
    {
        const QList<QPair<QString, QString>> rows{{"20250304_101112_L", "20250304_101112_L.jpg"},
                                                  {"a.JPG", "a.JPG"},
                                                  {"../../etc/passwd", "_.._etc_passwd.jpg"},
                                                  {"..", "photo.jpg"},
                                                  {"a:b*c?d", "a_b_c_d.jpg"},
                                                  {"a\nb\tc", "abc.jpg"},
                                                  {"con", "_con.jpg"},
                                                  {"左耳 1", "左耳 1.jpg"}};
        for (const auto &[stored, expected] : rows) {
            Customer order;
            order.photos = {photo(stored, QSize(8, 8))};
            QCOMPARE(OrderExport::photoFileNames(order).value(0), expected);
        }
        Customer order;
        order.orderNumber = "N1";
        const QSize tiny(8, 8);
        order.photos = {photo("x", tiny), photo("X", tiny), photo("x.jpg", tiny),
                        photo(QString(300, QChar(u'耳')), tiny), photo("N1", tiny)};
        const QStringList names = OrderExport::photoFileNames(order);
        QCOMPARE(names.mid(0, 3), QStringList({"x.jpg", "X_2.jpg", "x_3.jpg"}));
        QVERIFY(names.at(3).toUtf8().size() < 255);
        QCOMPARE(ExportNaming::reportFileName("  A/1 ", "2025-03-04T10:11:12"),
                 QStringLiteral("A_1_2025-03-04.pdf"));
        QCOMPARE(ExportNaming::reportFileName("", "not a date"), QStringLiteral("report.pdf"));
    }

    // Quoted where CSV needs it; what a spreadsheet would run as a formula is defused.
    void csvFields()
    {
        const QList<QPair<QString, QString>> rows{
            {"Anna", "Anna"},
            {"Berlin, Mitte", "\"Berlin, Mitte\""},
            {"5\" tall", "\"5\"\" tall\""},
            {"a\nb", "\"a\nb\""},
            {"=1+1", "'=1+1"},
            {"+49 30 1234", "'+49 30 1234"},
            {"-2+3", "'-2+3"},
            {"@SUM(A1)", "'@SUM(A1)"},
            {"\t=1", "'\t=1"},
            {"＝1+1", "'＝1+1"},
            {"=HYPERLINK(\"x\",1)", "\"'=HYPERLINK(\"\"x\"\",1)\""},
            {"a=b", "a=b"}};
        for (const auto &[value, field] : rows)
            QCOMPARE(OrderCsv::field(value), field);

        Customer order;
        order.orderNumber = "20250304001";
        order.name = QStringLiteral("张三");
        order.createdAt = "2025-03-04T10:11:12";
        order.photos = {photo("left", QSize(8, 8))};
        const QByteArray csv = OrderCsv::document({order, Customer()});
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(csv.mid(3)).split("\r\n");
        QCOMPARE(lines.size(), 4); // header, two orders, the empty end
        QVERIFY(lines.at(0).startsWith("Order no.,Exam time,Name,"));
        QCOMPARE(lines.at(1),
                 QStringLiteral("20250304001,2025-03-04 10:11:12,张三,Not specified,,,,,,,1"));
        QCOMPARE(lines.at(2), QStringLiteral(",,,Not specified,,,,,,,0"));
    }

    // The button exports what the search shows, and only that.
    void orderListExportsTheFilteredOrders()
    {
        QList<Customer> orders(3);
        orders[0].name = "Anna";
        orders[1].name = "=cmd|' /C calc'!A0";
        orders[2].name = "Anna Maria";
        QVERIFY(saveCustomers(orders));
        OrderPage page;
        page.reloadOrders();
        child<QLineEdit>(page, "nameEdit")->setText("Anna");
        page.onQueryClicked();
        QTemporaryDir dir;
        ExportFolder::remember(dir.path(), true);
        // The proposed name, in the folder last used, is taken as it is.
        whenModalShown<QFileDialog>(
            [](QFileDialog *dialog) { static_cast<QDialog *>(dialog)->accept(); });
        child<QPushButton>(page, "exportCsvButton")->click();
        const QStringList written = QDir(dir.path()).entryList({"orders_*.csv"});
        QCOMPARE(written.size(), 1);
        QVERIFY(
            QRegularExpression("^orders_\\d{4}-\\d{2}-\\d{2}\\.csv$").match(written[0]).hasMatch());
        const QString csv = QString::fromUtf8(readFile(dir.filePath(written[0])));
        QCOMPARE(csv.count("\r\n"), 3);
        QVERIFY(csv.contains(",Anna,") && csv.contains(",Anna Maria,"));
        QVERIFY(!csv.contains("cmd"));
    }

    void orderFolderHoldsStoredBytesAndTheReport()
    {
        Customer order;
        order.orderNumber = "../N7";
        order.name = QStringLiteral("王五");
        order.createdAt = "2025-03-04T10:11:12";
        order.photos = {photo("../left", QSize(64, 48)), photo("../left", QSize(48, 64)),
                        "broken|not base64 !"};
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("_N7_2025-03-04")); // an earlier export stays
        const QString folder = OrderExport::exportTo(dir.path(), order, {}, ReportConfig());
        QCOMPARE(folder, dir.filePath("_N7_2025-03-04_2"));
        QCOMPARE(filesIn(dir.path()), QStringList({"_N7_2025-03-04", "_N7_2025-03-04_2"}));
        QCOMPARE(filesIn(folder),
                 QStringList({"_N7_2025-03-04.pdf", "_left.jpg", "_left_2.jpg", "broken.jpg"}));
        QCOMPARE(readFile(folder + "/_left.jpg"), order.photos.at(0).imageData());
        QCOMPARE(readFile(folder + "/_left_2.jpg"), order.photos.at(1).imageData());
        QVERIFY(readFile(folder + "/_N7_2025-03-04.pdf").startsWith("%PDF-1.4"));

        // The photo fits, the report does not: nothing is left.
        QTemporaryDir full;
        order.photos = {photo("a", QSize(64, 48))};
        std::optional<TestSupport::FileSizeLimit> limit(std::in_place, 2000);
        const QString written = OrderExport::exportTo(full.path(), order, {}, ReportConfig());
        limit.reset();
        QCOMPARE(written, QString());
        QCOMPARE(filesIn(full.path()), QStringList());
    }
};

LUMAURAL_TEST_MAIN(TestReportPrinting)
#include "tst_reportprinting.moc"
