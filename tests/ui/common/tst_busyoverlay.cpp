#include "records/store/customerstore.h"
#include "records/store/recordstore.h"
#include "ui/common/busyoverlay.h"

#include "common/testsupport.h"

#include <QDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>

class TestBusyOverlay : public QObject
{
    Q_OBJECT

private slots:
    // The window keeps running while the work is done elsewhere, and says so
    // once the work takes longer than a moment; the card is gone afterwards.
    void cardShowsOnlyForLongWorkAndTheLoopRuns_data()
    {
        QTest::addColumn<int>("workMs");
        QTest::addColumn<bool>("shown");
        QTest::newRow("a moment") << 20 << false;
        QTest::newRow("long") << BusyOverlay::ShowAfterMs + 400 << true;
    }

    void cardShowsOnlyForLongWorkAndTheLoopRuns()
    {
        QFETCH(int, workMs);
        QFETCH(bool, shown);
        QWidget window;
        window.resize(800, 600);
        window.show();
        bool seen = false;
        int ticks = 0;
        QTimer probe;
        connect(&probe, &QTimer::timeout, &window, [&] {
            ++ticks;
            const auto *card = window.findChild<QDialog *>("busyOverlay");
            seen = seen || (card != nullptr && card->isVisible());
        });
        probe.start(10);
        const Qt::HANDLE gui = QThread::currentThreadId();
        bool offTheGuiThread = false;
        QCOMPARE(BusyOverlay::run(&window, "busy",
                                  [&] {
                                      offTheGuiThread = QThread::currentThreadId() != gui;
                                      QThread::msleep(ulong(workMs));
                                      return shown;
                                  }),
                 shown);
        QVERIFY(offTheGuiThread);
        QCOMPARE(seen, shown);
        QVERIFY2(!shown || ticks > 20, qPrintable(QString::number(ticks)));
        QVERIFY(window.findChild<QDialog *>("busyOverlay") == nullptr);
    }

    // Long work shows its progress at once and stops when Cancel is clicked.
    void cancelStopsTheWork()
    {
        QWidget window;
        window.resize(800, 600);
        window.show();
        std::atomic_bool stop{false};
        std::atomic_int done{0};
        int shownProgress = -1;
        QTimer probe;
        connect(&probe, &QTimer::timeout, &window, [&] {
            auto *bar = window.findChild<QProgressBar *>("busyProgress");
            auto *cancel = window.findChild<QPushButton *>("busyCancel");
            if (bar == nullptr || cancel == nullptr || bar->value() < 300 || !cancel->isVisible())
                return;
            shownProgress = bar->value();
            QTest::mouseClick(cancel, Qt::LeftButton);
        });
        probe.start(20);
        const bool result = BusyOverlay::runCancellable(
            &window, "busy",
            [&] {
                while (!stop) {
                    done = std::min(1000, done + 10);
                    QThread::msleep(5);
                }
                return true;
            },
            [&] { return int(done); }, [&] { stop = true; });
        QVERIFY(result);
        QVERIFY2(shownProgress >= 300, qPrintable(QString::number(shownProgress)));
        QVERIFY(done < 1000); // stopped by the click, not by running out
        QVERIFY(window.findChild<QDialog *>("busyOverlay") == nullptr);
    }

    // A save run through the overlay writes the file and keeps what it wrote.
    void storeSavesThroughTheRunner()
    {
        QWidget window;
        int jobs = 0;
        CustomerStore::instance().setRunner([&](const std::function<bool()> &job) {
            ++jobs;
            return BusyOverlay::run(&window, "busy", job);
        });
        Customer c;
        c.id = 7;
        c.photos = {QStringLiteral("n|") + QString(400, 'A')};
        QVERIFY(saveCustomers({c}));
        CustomerStore::instance().setRunner({});
        QCOMPARE(jobs, 1);
        QCOMPARE(loadCustomers().value(0).photos.value(0).entry(), c.photos[0].entry());
        QVERIFY(loadCustomers().value(0).photos.value(0).isReference());
    }
};

LUMAURAL_TEST_MAIN(TestBusyOverlay)
#include "tst_busyoverlay.moc"
