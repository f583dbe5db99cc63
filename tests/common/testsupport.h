#pragma once

#include <QApplication>
#include <QString>
#include <QtTest>

#include <memory>

namespace TestSupport {

// Aborts the test process unless it runs in the private network namespace made
// by scripts/isolate: only loopback interfaces may exist.
void requireIsolation();

// How a test answers the next modal prompt.
// Enter presses whatever button the prompt makes the default.
enum class Answer { Ok, Cancel, Escape, Enter };

// What the answered prompt showed.
struct PromptRecord
{
    bool seen = false;
    QString text;
    QStringList buttons;
    // The button drawn dark, as the one to press.
    QString highlighted;
    QSize cardSize;
    // Set by a test that armed the answer only to catch a prompt that must
    // not come: the answer is withdrawn and later prompts are left alone.
    bool disarmed = false;
};

// Arms a timer that answers the next modal prompt once it is shown; read the
// record after the call that opened the prompt returned.
std::shared_ptr<PromptRecord> answerNextPrompt(Answer answer);

// Writes `bytes` to `path`, creating folders; fails the test on error.
void writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// Makes every write past `bytes` fail, as on a disk that fills up, while it
// lives (SIGXFSZ ignored, so the write only reports the failure).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    quint64 m_saved = 0;
};

// The interval a running child timer named `name` of `owner` was armed with,
// or -1 when no such timer runs.
int armedMs(const QObject *owner, const QString &name);

} // namespace TestSupport

// Test entry points that refuse to run outside the isolation.
#define LUMAURAL_TEST_MAIN(TestObject)                                                             \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        TestSupport::requireIsolation();                                                           \
        QApplication app(argc, argv);                                                              \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

#define LUMAURAL_TEST_GUILESS_MAIN(TestObject)                                                     \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        TestSupport::requireIsolation();                                                           \
        QCoreApplication app(argc, argv);                                                          \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
