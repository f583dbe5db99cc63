// The prompts and the busy card over the window.
#include "records/store/customerstore.h"
#include "records/store/recordstore.h"
#include "ui/common/busyoverlay.h"
#include "ui/common/promptdialog.h"

#include "i18n/langmanager.h"
#include "ui/common/dimlayer.h"

#include "common/testsupport.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

using TestSupport::Answer;
using TestSupport::answerNextPrompt;

class TestPromptDialog : public QObject
{
    Q_OBJECT

private slots:
    void confirmReportsOnlyOk_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<bool>("expected");
        QTest::addColumn<QString>("highlighted");
        const int ok = int(PromptDefault::Ok);
        const int cancel = int(PromptDefault::Cancel);
        QTest::newRow("ok") << int(Answer::Ok) << ok << true << "确定";
        QTest::newRow("cancel") << int(Answer::Cancel) << ok << false << "确定";
        QTest::newRow("escape") << int(Answer::Escape) << ok << false << "确定";
        QTest::newRow("enter") << int(Answer::Enter) << ok << true << "确定";
        QTest::newRow("deletion, enter") << int(Answer::Enter) << cancel << false << "取消";
        QTest::newRow("deletion, ok") << int(Answer::Ok) << cancel << true << "取消";
    }

    // Enter presses the button drawn as the one to press.
    void confirmReportsOnlyOk()
    {
        QFETCH(int, answer);
        QFETCH(int, defaultButton);
        QFETCH(bool, expected);
        QWidget parent;
        parent.resize(900, 700);
        parent.show();
        const auto record = answerNextPrompt(Answer(answer));
        QCOMPARE(showPromptConfirm(&parent, "Delete?", PromptDefault(defaultButton)), expected);
        QVERIFY(record->seen);
        QCOMPARE(record->buttons, (QStringList{"取消", "确定"}));
        QTEST(record->highlighted, "highlighted");
    }

    void messageClosesOnOkAndOnEscape()
    {
        for (Answer answer : {Answer::Ok, Answer::Escape}) {
            const auto record = answerNextPrompt(answer);
            showPromptMessage(nullptr, "Saved");
            QVERIFY(record->seen);
            QCOMPARE(record->buttons, QStringList{"确定"});
        }
    }

    void overlayCoversTheWindowAndCentresTheCard()
    {
        QWidget window;
        window.setGeometry(200, 100, 1280, 720);
        auto *child = new QWidget(&window);
        window.show();
        QDialog *overlay = createPromptOverlay(child);
        QFrame *card = createPromptCard(overlay, "x");
        QCOMPARE(card->geometry(), QRect(450, 266, 380, 188));
        overlay->show();
        QCOMPARE(overlay->geometry(), window.geometry());
        // Only the rounded card is the prompt's own window; the dimming is
        // painted inside the covered window, so no compositor is needed.
        const QRegion shape = overlay->mask();
        QCOMPARE(shape.boundingRect(), card->geometry());
        QVERIFY(shape.contains(card->geometry().center()));
        QVERIFY(!shape.contains(card->geometry().topLeft()));
        auto *dim = window.findChild<DimLayer *>();
        QVERIFY(dim && dim->isVisible());
        QCOMPARE(dim->geometry(), window.rect());
        window.resize(1000, 650);
        QCOMPARE(dim->geometry(), window.rect());
        overlay->hide();
        QVERIFY(!dim->isVisible());
        delete overlay;
        QTRY_VERIFY(!window.findChild<DimLayer *>());
    }

    // A long message is read to its end: the card grows for it, and the
    // window shape follows a card that a caller resizes for its content.
    void longAndMarkupTextStaysPlainAndWhole()
    {
        const QString text = "<b>" + QString(200, QChar(u'长')) + "</b><img src=x>";
        const auto record = answerNextPrompt(Answer::Ok);
        showPromptMessage(nullptr, text);
        QCOMPARE(record->text, text);
        QVERIFY(record->cardSize.height() > 188);
        QDialog *overlay = createPromptOverlay(nullptr);
        QFrame *card = createPromptCard(overlay, text);
        auto *label = card->findChild<QLabel *>("promptText");
        QCOMPARE(label->textFormat(), Qt::PlainText);
        card->layout()->activate();
        QVERIFY(label->height() >= label->heightForWidth(label->width()));
        card->setFixedSize(460, 600);
        overlay->show();
        QCOMPARE(card->geometry(), QRect(370, 80, 460, 600));
        QCOMPARE(overlay->mask().boundingRect(), card->geometry());
        delete overlay;
    }

    void buttonTextsFollowTheActiveLanguage()
    {
        QTemporaryDir dir;
        TestSupport::writeFile(dir.filePath("zh_CN.json"),
                               R"({"meta.code": "zh_CN", "meta.name": "中文"})");
        TestSupport::writeFile(
            dir.filePath("en_US.json"),
            R"({"meta.code": "en_US", "meta.name": "English", "common.ok": "OK", "common.cancel": "Cancel"})");
        QVERIFY(LangManager::instance()->loadLanguagePacks(dir.path()));
        LangManager::instance()->setLanguage("en_US");
        const auto record = answerNextPrompt(Answer::Cancel);
        QVERIFY(!showPromptConfirm(nullptr, "?"));
        QCOMPARE(record->buttons, (QStringList{"Cancel", "OK"}));
        LangManager::instance()->setLanguage("zh_CN");
    }

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

LUMAURAL_TEST_MAIN(TestPromptDialog)
#include "tst_promptdialog.moc"
