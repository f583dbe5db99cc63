#include "common/testsupport.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QNetworkInterface>
#include <QPushButton>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace TestSupport {

void requireIsolation()
{
    QStringList outside;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        if (!iface.flags().testFlag(QNetworkInterface::IsLoopBack))
            outside.append(iface.name());
    }
    if (qEnvironmentVariable("LUMAURAL_ISOLATED") != QLatin1String("1") || !outside.isEmpty()) {
        std::fprintf(stderr,
                     "REFUSING TO RUN: this test must run inside the private network namespace "
                     "(run it through ctest or scripts/isolate). Non-loopback interfaces: %s\n",
                     qPrintable(outside.join(QLatin1Char(' '))));
        std::exit(97);
    }
}

std::shared_ptr<PromptRecord> answerNextPrompt(Answer answer)
{
    auto record = std::make_shared<PromptRecord>();
    // Owned by the application, so a prompt that never came costs no leak.
    auto *timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, record, answer] {
        if (record->disarmed) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        // The card a slow save shows is modal too, but it is no prompt and
        // closes by itself: answering it would leave the prompt after it
        // waiting for ever.
        if (!dialog || !dialog->isVisible() || dialog->objectName() == QLatin1String("busyOverlay"))
            return;
        timer->stop();
        timer->deleteLater();
        record->seen = true;
        if (auto *label = dialog->findChild<QLabel *>(QStringLiteral("promptText")))
            record->text = label->text();
        if (auto *card = dialog->findChild<QFrame *>(QStringLiteral("promptCard")))
            record->cardSize = card->size();
        const auto buttons = dialog->findChildren<QPushButton *>(QStringLiteral("promptButton"));
        for (QPushButton *button : buttons) {
            record->buttons.append(button->text());
            // Left of the centred text: the button's own background.
            if (qGray(button->grab().toImage().pixel(12, button->height() / 2)) < 128)
                record->highlighted = button->text();
        }
        switch (answer) {
        case Answer::Escape:
            QTest::keyClick(dialog, Qt::Key_Escape);
            break;
        case Answer::Enter:
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Return);
            break;
        case Answer::Ok:
            // OK is the last button of both forms.
            if (!buttons.isEmpty())
                buttons.last()->click();
            break;
        case Answer::Cancel:
            if (buttons.size() > 1)
                buttons.first()->click();
            break;
        }
    });
    timer->start();
    return record;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_saved = limit.rlim_cur;
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_saved);
    setrlimit(RLIMIT_FSIZE, &limit);
}

int armedMs(const QObject *owner, const QString &name)
{
    const auto timers = owner->findChildren<QTimer *>(name);
    for (const QTimer *timer : timers) {
        if (timer->isActive())
            return timer->interval();
    }
    return -1;
}

} // namespace TestSupport
