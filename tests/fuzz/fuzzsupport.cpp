#include "fuzzsupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace FuzzSupport {

namespace {

void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

} // namespace

void setUp()
{
    static const bool done = [] {
        qInstallMessageHandler(dropMessage);
        return true;
    }();
    Q_UNUSED(done);
}

void check(bool condition, const char *what, const QByteArray &detail)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    if (!detail.isEmpty())
        std::fprintf(stderr, "%s\n", detail.left(4000).constData());
    std::abort();
}

QString scratchDirectory()
{
    static QTemporaryDir dir;
    check(dir.isValid(), "no scratch folder");
    return dir.path();
}

void writeScratchFile(const QString &path, const QByteArray &bytes)
{
    // Scratch files only: nobody else reads them, so no QSaveFile.
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
              file.write(bytes) == bytes.size(),
          "cannot write a scratch file", path.toUtf8());
}

QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

} // namespace FuzzSupport
