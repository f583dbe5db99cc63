#include "ui/mainwindow/logoimage.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/mainwindow/navigationrules.h"
#include "ui/mainwindow/windowgeometry.h"

#include "i18n/langmanager.h"
#include "records/fitterpage.h"
#include "records/savereportpage.h"
#include "records/store/recordstore.h"

#include "ui/common/combopopup.h"

#include "common/testsupport.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

QString navTextColor(MainWindow &window, const char *name)
{
    const QString style = window.findChild<QLabel *>(QLatin1String(name))->styleSheet();
    return style.contains("#ec5c0b") ? "orange" : "grey";
}

QPushButton *navButtonOf(MainWindow &window, const char *textName)
{
    return qobject_cast<QPushButton *>(
        window.findChild<QLabel *>(QLatin1String(textName))->parentWidget());
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_packs.isValid());
        TestSupport::writeFile(
            m_packs.filePath("zh_CN.json"),
            R"({"meta.code": "zh_CN", "meta.name": "中文", "nav.orders": "订单"})");
        TestSupport::writeFile(
            m_packs.filePath("en_US.json"),
            R"({"meta.code": "en_US", "meta.name": "English", "nav.orders": "Orders",
                                   "inspect.wifi_signal.none": "Signal: none"})");
        QVERIFY(LangManager::instance()->loadLanguagePacks(m_packs.path()));
    }

    void startSize_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("topLeft");
        QTest::addColumn<bool>("maximized");
        // Too small for the minimum and its title bar: maximized, and small
        // enough not to push the window past the available area.
        QTest::newRow("1280x720") << QRect(0, 0, 1280, 720) << QSize(1100, 680) << QSize(1280, 680)
                                  << QPoint(0, 20) << true;
        QTest::newRow("1366x768, taskbar") << QRect(0, 0, 1366, 728) << QSize(1100, 688)
                                           << QSize(1366, 688) << QPoint(0, 20) << true;
        QTest::newRow("1366x768, no taskbar") << QRect(0, 0, 1366, 768) << QSize(1100, 720)
                                              << QSize(1366, 728) << QPoint(0, 20) << false;
        QTest::newRow("1920x1040") << QRect(0, 40, 1920, 1040) << QSize(1100, 720)
                                   << QSize(1600, 900) << QPoint(160, 110) << false;
        QTest::newRow("tiny") << QRect(0, 0, 800, 600) << QSize(800, 560) << QSize(800, 560)
                              << QPoint(0, 20) << true;
        QTest::newRow("no screen")
            << QRect() << QSize(1100, 720) << QSize(1600, 900) << QPoint() << false;
    }

    void startSize()
    {
        QFETCH(QRect, available);
        const WindowGeometry geometry = WindowGeometry::forAvailableArea(available);
        QTEST(geometry.minimum, "minimum");
        QTEST(geometry.size, "size");
        QTEST(geometry.maximized, "maximized");
        if (available.isValid())
            QTEST(WindowGeometry::centeredTopLeft(available, geometry.size), "topLeft");
    }

    void settingsBackRule_data()
    {
        QTest::addColumn<int>("previous");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("entry");
        QTest::newRow("inspection") << 0 << 0 << 1;
        QTest::newRow("fitter list") << 1 << 1 << -1;
        QTest::newRow("new order") << 2 << 2 << -1;
        QTest::newRow("order list") << 3 << 3 << 0;
        QTest::newRow("order detail") << 4 << 4 << 0;
        QTest::newRow("about") << 5 << 5 << -1;
        QTest::newRow("settings itself") << 6 << 0 << 1;
    }

    void settingsBackRule()
    {
        QFETCH(int, previous);
        const NavigationTarget target = NavigationTarget::backFromSettings(previous);
        QTEST(target.page, "page");
        QTEST(target.entry, "entry");
    }

    void logoTrimKeepsOnlyVisiblePixels()
    {
        QImage image(50, 40, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        image.setPixel(10, 5, qRgba(0, 0, 0, 1));
        image.setPixel(30, 20, qRgba(255, 0, 0, 255));
        QCOMPARE(LogoImage::trimTransparentBorder(image).size(), QSize(21, 16));
        image.fill(Qt::transparent);
        QCOMPARE(LogoImage::trimTransparentBorder(image).size(), QSize(50, 40));
    }

    void frameStartsOnInspectionWithSevenPages()
    {
        MainWindow window;
        QCOMPARE(window.pageStack()->count(), 7);
        QCOMPARE(window.pageStack()->currentIndex(), 0);
        QCOMPARE(window.pageStack()->widget(0)->objectName(), QStringLiteral("contentCard"));
        QCOMPARE(navTextColor(window, "inspectText"), QStringLiteral("orange"));
        QCOMPARE(navTextColor(window, "orderText"), QStringLiteral("grey"));
        QCOMPARE(window.photoFolder(),
                 QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) +
                     "/OtoscopePhotos");
        QVERIFY(QFileInfo(window.photoFolder()).isDir());
        auto *fitterButton = window.findChild<QPushButton *>("fitterNavButton");
        QVERIFY(fitterButton && fitterButton->isHidden());
        QCOMPARE(window.findChild<QLabel *>("orderText")->text(), QStringLiteral("订单"));
    }

    // A combo added to any page without the shared list look would open the
    // platform's square popup under a rounded field.
    void everyComboOpensTheRoundedList()
    {
        MainWindow window;
        const auto boxes = window.findChildren<QComboBox *>();
        QVERIFY(boxes.size() >= 8);
        for (const QComboBox *box : boxes)
            QVERIFY2(hasComboPopupStyle(box), qPrintable(box->objectName()));
    }

    void navigationAndSettingsBack()
    {
        MainWindow window;
        navButtonOf(window, "orderText")->click();
        QCOMPARE(window.pageStack()->currentIndex(), 3);
        QCOMPARE(navTextColor(window, "orderText"), QStringLiteral("orange"));
        QCOMPARE(navTextColor(window, "inspectText"), QStringLiteral("grey"));

        // Opening settings twice keeps the page seen before the first opening.
        navButtonOf(window, "settingsText")->click();
        navButtonOf(window, "settingsText")->click();
        QCOMPARE(window.pageStack()->currentIndex(), 6);
        QCOMPARE(window.previousPageIndex(), 3);
        QCOMPARE(navTextColor(window, "settingsText"), QStringLiteral("orange"));

        window.findChild<QPushButton *>("fitterNavButton")->click();
        QCOMPARE(window.pageStack()->currentIndex(), 1);
        for (const char *name : {"orderText", "inspectText", "settingsText"})
            QCOMPARE(navTextColor(window, name), QStringLiteral("grey"));

        navButtonOf(window, "inspectText")->click();
        QCOMPARE(window.pageStack()->currentIndex(), 0);
        QCOMPARE(navTextColor(window, "inspectText"), QStringLiteral("orange"));
    }

    void wifiRowFollowsLanguage()
    {
        MainWindow window;
        auto *label = window.findChild<QLabel *>("wifiSignalLabel");
        auto *row = window.findChild<QWidget *>("wifiRow");
        auto *layout = qobject_cast<QHBoxLayout *>(row->layout());
        QCOMPARE(label->text(), QStringLiteral("信号：无"));
        QVERIFY(!layout->itemAt(0)->spacerItem());
        QCOMPARE(layout->contentsMargins(), QMargins(16, 0, 16, 0));

        for (int round = 0; round < 2; ++round) {
            LangManager::instance()->setLanguage("en_US");
            QCOMPARE(label->text(), QStringLiteral("Signal: none"));
            QCOMPARE(window.findChild<QLabel *>("orderText")->text(), QStringLiteral("Orders"));
            QVERIFY(layout->itemAt(0)->spacerItem());
            QVERIFY(!layout->itemAt(1)->spacerItem()); // one leading stretch, never two
            QCOMPARE(layout->contentsMargins(), QMargins());
            LangManager::instance()->setLanguage("zh_CN");
            QVERIFY(!layout->itemAt(0)->spacerItem());
            QCOMPARE(layout->contentsMargins(), QMargins(16, 0, 16, 0));
        }
    }

    void wifiLevels_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("color");
        const struct
        {
            int percent;
            const char *text;
            const char *color;
        } rows[] = {{-1, "信号：无", "#979797"}, {0, "信号：弱", "#e74c3c"},
                    {30, "信号：弱", "#e74c3c"}, {31, "信号：中", "#f5a623"},
                    {60, "信号：中", "#f5a623"}, {61, "信号：强", "#24bc7a"}};
        for (const auto &row : rows)
            QTest::addRow("%d", row.percent) << row.percent << row.text << row.color;
    }

    void wifiLevels()
    {
        QFETCH(int, percent);
        MainWindow window;
        window.updateWifiSignal(percent);
        QTEST(window.findChild<QLabel *>("wifiSignalLabel")->text(), "text");
        QFETCH(QString, color);
        QVERIFY(window.findChild<QLabel *>("wifiSignalDot")->styleSheet().contains(color));
    }

    void orderFormBack_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("highlighted");
        QTest::newRow("from inspection") << 0 << 0 << "inspectText";
        QTest::newRow("new order") << 1 << 3 << "orderText";
        QTest::newRow("edit") << 2 << 3 << "orderText";
    }

    void orderFormBack()
    {
        QFETCH(int, mode);
        QFETCH(QString, highlighted);
        MainWindow window;
        window.saveReportPage()->reset(mode);
        window.pageStack()->setCurrentIndex(2);
        window.saveReportPage()->onBackClicked();
        QTEST(window.pageStack()->currentIndex(), "page");
        QCOMPARE(navTextColor(window, qPrintable(highlighted)), QStringLiteral("orange"));
    }

    void nextStartsAnInspectionAndSavingEndsIt()
    {
        Fitter fitter;
        fitter.id = 3;
        fitter.name = "Zhang";
        QVERIFY(saveFitters({fitter}));
        MainWindow window;
        window.onOrderConfigRequested();
        SaveReportPage *form = window.saveReportPage();
        form->findChild<QLineEdit *>("orderNumberEdit")->setText("A-1");
        form->findChild<QLineEdit *>("nameEdit")->setText("Li");
        form->onNextStepClicked();
        QVERIFY(window.hasInspectionContext());
        QCOMPARE(window.draftCustomer().name, QStringLiteral("Li"));
        QCOMPARE(window.draftCustomer().fitterId, 3);
        QCOMPARE(window.pageStack()->currentIndex(), 0);
        QCOMPARE(navTextColor(window, "inspectText"), QStringLiteral("orange"));
        QVERIFY(!QFile::exists(customersFilePath()));

        // Opening the form for a new order drops the unsaved draft.
        window.onOrderConfigRequested();
        QVERIFY(!window.hasInspectionContext());

        form->findChild<QLineEdit *>("orderNumberEdit")->setText("A-2");
        form->findChild<QLineEdit *>("nameEdit")->setText("Wu");
        form->onNextStepClicked();
        QVERIFY(window.hasInspectionContext());
        window.saveReportPage()->reset(0);
        form->findChild<QLineEdit *>("orderNumberEdit")->setText("A-3");
        form->findChild<QLineEdit *>("nameEdit")->setText("Zhao");
        form->onSaveClicked();
        QVERIFY(!window.hasInspectionContext());
        QCOMPARE(window.draftCustomer().toJson(), Customer().toJson());
        QCOMPARE(window.pageStack()->currentIndex(), 4);
        QCOMPARE(navTextColor(window, "orderText"), QStringLiteral("orange"));
        QCOMPARE(loadCustomers().size(), 1);
        QFile::remove(customersFilePath());
        QFile::remove(fittersFilePath());
    }

    void fitterEntryReloadsTheList()
    {
        MainWindow window;
        QCOMPARE(window.fitterPage()->table()->rowCount(), 0);
        Fitter fitter;
        fitter.id = 1;
        fitter.name = "Zhang";
        QVERIFY(saveFitters({fitter}));
        window.onFitterBtnClicked();
        QCOMPARE(window.pageStack()->currentIndex(), 1);
        QCOMPARE(window.fitterPage()->table()->rowCount(), 1);
        QFile::remove(fittersFilePath());
    }

private:
    QTemporaryDir m_packs;
};

LUMAURAL_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
