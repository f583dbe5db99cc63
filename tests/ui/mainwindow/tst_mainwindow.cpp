// The main window's frame: its size on each screen, the navigation between
// its pages and the wiring of the order pages.
#include "ui/mainwindow/logoimage.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/mainwindow/windowgeometry.h"

#include "i18n/langmanager.h"
#include "records/fitterpage.h"
#include "records/orderdetailpage.h"
#include "records/orderpage.h"
#include "records/savereportpage.h"
#include "records/store/recordstore.h"
#include "settings/settingspage.h"

#include "ui/common/combopopup.h"

#include "common/testsupport.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

// The navigation entry drawn highlighted.
QString highlighted(MainWindow &window)
{
    QStringList lit;
    for (const char *name : {"inspectText", "orderText", "settingsText"}) {
        if (window.findChild<QLabel *>(QLatin1String(name))->styleSheet().contains("#ec5c0b"))
            lit.append(name);
    }
    return lit.join(' ');
}

QPushButton *navButtonOf(MainWindow &window, const char *textName)
{
    return qobject_cast<QPushButton *>(
        window.findChild<QLabel *>(QLatin1String(textName))->parentWidget());
}

Customer makeOrder(int id, const QString &name)
{
    Customer c;
    c.id = id;
    c.name = name;
    c.createdAt = QDate::currentDate().toString(Qt::ISODate) + QStringLiteral("T08:00:00");
    return c;
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

    void cleanup()
    {
        QFile::remove(customersFilePath());
        QFile::remove(fittersFilePath());
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
        QCOMPARE(window.pageStack()->currentIndex(), 0);
        QCOMPARE(highlighted(window), QStringLiteral("inspectText"));
        QCOMPARE(window.photoFolder(),
                 QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) +
                     "/OtoscopePhotos");
        QVERIFY(QFileInfo(window.photoFolder()).isDir());
        navButtonOf(window, "orderText")->click();
        QCOMPARE(window.pageStack()->currentIndex(), 3);
        QCOMPARE(highlighted(window), QStringLiteral("orderText"));

        // Opening settings twice keeps the page seen before the first opening.
        for (int i = 0; i < 2; ++i)
            navButtonOf(window, "settingsText")->click();
        QCOMPARE(window.pageStack()->currentIndex(), 6);
        QCOMPARE(highlighted(window), QStringLiteral("settingsText"));
        window.settingsPage()->findChild<QPushButton *>("settingsBackButton")->click();
        QCOMPARE(window.pageStack()->currentIndex(), 3);
        QCOMPARE(highlighted(window), QStringLiteral("orderText"));

        window.findChild<QPushButton *>("fitterNavButton")->click();
        QCOMPARE(window.pageStack()->currentIndex(), 1);
        QCOMPARE(highlighted(window), QString());
        navButtonOf(window, "inspectText")->click();
        QCOMPARE(window.pageStack()->currentIndex(), 0);
        QCOMPARE(highlighted(window), QStringLiteral("inspectText"));
    }

    void wifiSignalTextsFollowLevelAndLanguage()
    {
        MainWindow window;
        auto *label = window.findChild<QLabel *>("wifiSignalLabel");
        QCOMPARE(label->text(), QStringLiteral("信号：无"));
        const QList<QPair<int, QString>> levels{{0, "信号：弱"},  {30, "信号：弱"},
                                                {31, "信号：中"}, {60, "信号：中"},
                                                {61, "信号：强"}, {-1, "信号：无"}};
        for (const auto &[percent, text] : levels) {
            window.updateWifiSignal(percent);
            QCOMPARE(label->text(), text);
        }
        LangManager::instance()->setLanguage("en_US");
        QCOMPARE(label->text(), QStringLiteral("Signal: none"));
        QCOMPARE(window.findChild<QLabel *>("orderText")->text(), QStringLiteral("Orders"));
        LangManager::instance()->setLanguage("zh_CN");
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
        MainWindow window;
        window.saveReportPage()->reset(mode);
        window.pageStack()->setCurrentIndex(2);
        window.saveReportPage()->onBackClicked();
        QTEST(window.pageStack()->currentIndex(), "page");
        QTEST(highlighted(window), "highlighted");
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
        QCOMPARE(highlighted(window), QStringLiteral("inspectText"));
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
        QCOMPARE(highlighted(window), QStringLiteral("orderText"));
        QCOMPARE(loadCustomers().size(), 1);
    }

    // Each entry to the fitter and order lists reads the store anew; the
    // list, the form and the detail page hand orders on to each other.
    void listsReloadAndOrderPagesMeet()
    {
        MainWindow window;
        auto *orders = qobject_cast<OrderPage *>(window.pageStack()->widget(3));
        auto *form = window.saveReportPage();
        auto *detail = qobject_cast<OrderDetailPage *>(window.pageStack()->widget(4));
        QVERIFY(orders && detail && orders->allOrders().isEmpty());
        QCOMPARE(window.fitterPage()->table()->rowCount(), 0);
        Fitter fitter;
        fitter.id = 1;
        fitter.name = "Zhang";
        QVERIFY(saveFitters({fitter}));
        window.onFitterBtnClicked();
        QCOMPARE(window.pageStack()->currentIndex(), 1);
        QCOMPARE(window.fitterPage()->table()->rowCount(), 1);

        QVERIFY(
            saveCustomers({makeOrder(4, "Ada"), makeOrder(4, "Second Ada"), makeOrder(8, "Cleo")}));
        window.onOrderBtnClicked();
        QCOMPARE(window.pageStack()->currentIndex(), 3);
        QCOMPARE(orders->allOrders().size(), 3);
        emit orders->detailRequested(4);
        QCOMPARE(window.pageStack()->currentIndex(), 4);
        QCOMPARE(detail->currentOrder().name, QStringLiteral("Ada"));
        // An id nobody has: the detail page keeps what it showed.
        window.onInspectBtnClicked();
        emit orders->detailRequested(99);
        QCOMPARE(window.pageStack()->currentIndex(), 4);
        QCOMPARE(detail->currentOrder().name, QStringLiteral("Ada"));
        QCOMPARE(highlighted(window), QStringLiteral("orderText"));
        QVERIFY(appendCustomer(makeOrder(7, "Cy")));
        emit detail->backRequested();
        QCOMPARE(window.pageStack()->currentIndex(), 3);
        QCOMPARE(orders->allOrders().size(), 4);

        emit orders->configRequested();
        QCOMPARE(window.pageStack()->currentIndex(), 2);
        QCOMPARE(form->mode(), int(SaveReportPage::NewOrder));
        emit form->backRequested();
        QCOMPARE(window.pageStack()->currentIndex(), 3);
        emit orders->editRequested(99); // unknown: nothing happens
        QCOMPARE(window.pageStack()->currentIndex(), 3);
        emit orders->editRequested(8);
        QCOMPARE(window.pageStack()->currentIndex(), 2);
        QCOMPARE(form->mode(), int(SaveReportPage::EditOrder));
        emit form->reportSaved(makeOrder(8, "Cleo Edited"));
        QCOMPARE(window.pageStack()->currentIndex(), 4);
        QCOMPARE(detail->currentOrder().name, QStringLiteral("Cleo Edited"));
        QVERIFY(!window.hasInspectionContext());
    }

private:
    QTemporaryDir m_packs;
};

LUMAURAL_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
