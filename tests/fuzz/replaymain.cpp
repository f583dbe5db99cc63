// Feeds every file of the given corpus folders (or single files) to a fuzz
// target once, in name order, so an input found once stays fixed in the
// ordinary test run without a fuzzer.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char *argv[])
{
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const QFileInfo arg(QString::fromLocal8Bit(argv[i]));
        QStringList files;
        if (arg.isDir()) {
            const QDir dir(arg.filePath());
            for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
                files.append(dir.filePath(name));
        } else {
            files.append(arg.filePath());
        }
        for (const QString &path : files) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            // Named first: a failing input aborts the process.
            std::printf("%s\n", qPrintable(path));
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                   size_t(bytes.size()));
            ++replayed;
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    // An empty corpus would let every finding slip through unnoticed.
    return replayed > 0 ? 0 : 1;
}
