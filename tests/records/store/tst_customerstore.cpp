#include "records/store/chunkreader.h"
#include "records/store/customerstore.h"
#include "records/store/filebytesource.h"
#include "records/store/jsonfilestore.h"
#include "records/store/jsonrecordsbackend.h"
#include "records/store/jsontext.h"
#include "records/store/recordstore.h"
#include "records/store/storealerts.h"
#include "records/store/storescanner.h"
#include "records/store/storewriter.h"

#include "backendcontract.h"
#include "common/testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>

#include <cstring>
#include <dlfcn.h>
#include <functional>
#include <limits>
#include <optional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using TestSupport::FileSizeLimit;
using TestSupport::readFile;
using TestSupport::writeFile;

namespace {

QString jpegEntry(const QString &name, QColor color, QSize size = QSize(64, 36))
{
    // Fine detail, so the pictures weigh what photos weigh.
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           qRgb((color.red() + x * y) & 255, (x * 7 ^ y * 13) & 255, color.blue()));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return name + '|' + QString::fromLatin1(bytes.toBase64());
}

// What Qt's own writer makes of the orders: the file format's reference.
QByteArray qtDocument(const QList<Customer> &customers)
{
    QJsonArray array;
    for (const Customer &c : customers)
        array.append(c.toJson());
    return QJsonDocument(QJsonObject{{"customers", array}}).toJson(QJsonDocument::Indented);
}

QList<Customer> orders(int count, int photosEach, int bigness = 1)
{
    QList<Customer> list;
    for (int id = 1; id <= count; ++id) {
        Customer c;
        c.id = id;
        c.name = QStringLiteral("Customer %1").arg(id);
        for (int k = 0; k < photosEach; ++k)
            c.photos.append(jpegEntry(QStringLiteral("p%1_%2").arg(id).arg(k),
                                      QColor::fromHsv((id * 40 + k * 90) % 360, 200, 200),
                                      QSize(64, 36) * bigness));
        list.append(c);
    }
    return list;
}

#ifndef Q_MOC_RUN // moc loses its way in these and then misses the test
// Bytes that exist only on demand: a prefix, a long run of spaces, a suffix.
class SpacedSource : public StoreByteSource
{
public:
    SpacedSource(QByteArray head, qint64 spaces, QByteArray tail)
        : m_head(std::move(head)), m_spaces(spaces), m_tail(std::move(tail))
    {
    }
    qint64 size() const override { return m_head.size() + m_spaces + m_tail.size(); }
    qint64 readAt(qint64 offset, char *data, qint64 maxSize) override
    {
        const qint64 count = std::min(maxSize, size() - offset);
        for (qint64 i = 0; i < count;) {
            const qint64 at = offset + i;
            if (at < m_head.size()) {
                data[i++] = m_head[at];
            } else if (at < m_head.size() + m_spaces) {
                const qint64 run = std::min(count - i, m_head.size() + m_spaces - at);
                std::memset(data + i, ' ', size_t(run));
                i += run;
            } else {
                data[i++] = m_tail[at - m_head.size() - m_spaces];
            }
        }
        return count;
    }

private:
    QByteArray m_head;
    qint64 m_spaces;
    QByteArray m_tail;
};
// Numbered bytes that may come in short reads and stop with an error.
class PatternSource : public StoreByteSource
{
public:
    PatternSource(qint64 size, qint64 failAt) : m_size(size), m_failAt(failAt) {}
    static char at(qint64 offset) { return char((offset * 7 + offset / 251) % 256); }
    qint64 size() const override { return m_size; }
    qint64 readAt(qint64 offset, char *data, qint64 maxSize) override
    {
        if (offset >= m_failAt)
            return -1;
        const qint64 count = std::min({maxSize, m_size - offset, qint64(700)});
        for (qint64 i = 0; i < count; ++i)
            data[i] = at(offset + i);
        return count;
    }

private:
    qint64 m_size;
    qint64 m_failAt;
};

// Where scanning `content` gives other orders than Qt's whole-document parse:
// empty when both agree, and when that parse fails the scan must fail too.
QString scanMismatch(const QByteArray &content)
{
    const QString path = customersFilePath();
    writeFile(path, content);
    FileByteSource file(path);
    auto origin = std::make_shared<StoredPhoto::Origin>(StoredPhoto::Origin{path, file.identity()});
    const StoreScanner::Result scan = StoreScanner::scan(file, origin);

    QJsonParseError error{};
    const QJsonDocument qt = QJsonDocument::fromJson(content, &error);
    const QJsonValue array = qt.object().value("customers");
    if (!qt.isObject() || !(array.isArray() || array.isUndefined())) {
        if (scan.status != StoreScanner::Status::Damaged &&
            scan.status != StoreScanner::Status::Empty)
            return QStringLiteral("Qt refuses (%1), the scan does not").arg(error.errorString());
        return scan.customers.isEmpty() ? QString() : QStringLiteral("orders from a refused file");
    }
    if (scan.status != StoreScanner::Status::Ok)
        return QStringLiteral("Qt reads it, the scan says %1").arg(int(scan.status));
    QJsonArray expected;
    for (const QJsonValue &element : array.toArray())
        expected.append(Customer::fromJson(element.toObject()).toJson());
    QJsonArray scanned;
    for (const Customer &c : scan.customers)
        scanned.append(c.toJson());
    if (scanned != expected)
        return QStringLiteral("other orders:\n%1\n%2")
            .arg(QString::fromUtf8(QJsonDocument(scanned).toJson(QJsonDocument::Compact)),
                 QString::fromUtf8(QJsonDocument(expected).toJson(QJsonDocument::Compact)));
    for (const Customer &c : scan.customers) {
        for (const StoredPhoto &p : c.photos) {
            const QString entry = p.entry();
            if (p.name() != (entry.contains('|') ? entry.section('|', 0, 0) : QString()))
                return QStringLiteral("photo name %1 of %2").arg(p.name(), entry.left(40));
        }
    }
    return {};
}

// Loaded through the store and saved unchanged, a document Qt reads must
// come out as Qt's writer writes it: empty when it does or Qt refuses it.
QString resaveMismatch(const QByteArray &content)
{
    const QJsonDocument qt = QJsonDocument::fromJson(content);
    const QJsonValue array = qt.object().value("customers");
    if (!qt.isObject() || !(array.isArray() || array.isUndefined()))
        return {};
    QList<Customer> expected;
    for (const QJsonValue &element : array.toArray())
        expected.append(Customer::fromJson(element.toObject()));
    CustomerStore::instance().forget();
    if (!saveCustomers(loadCustomers()))
        return QStringLiteral("saving it again failed");
    const QByteArray saved = readFile(customersFilePath());
    if (saved != qtDocument(expected))
        return QStringLiteral("saved as:\n%1").arg(QString::fromUtf8(saved.left(2000)));
    return {};
}

// Documents odd and broken in every way that matters to the scan.
void addScanRows()
{
    QTest::addColumn<QByteArray>("content");
    const QByteArray photo = jpegEntry("a", Qt::red).toLatin1();
    QByteArray slashed = photo;
    slashed.replace("/", "\\/");
    const auto doc = [](const QByteArray &order) {
        return R"({"customers": [{"id": 3, "name": "x"}, )" + order + "]}";
    };
    QTest::newRow("plain") << doc(R"({"id": 4, "photos": [")" + photo + R"(", "b|QUJD"]})");
    QTest::newRow("escaped photo") << doc(R"({"id": 4, "photos": [")" + slashed + "\"]}");
    QTest::newRow("unicode name") << doc("{\"photos\": [\"左耳\\t" + photo + "\"]}");
    QTest::newRow("not base64") << doc("{\"photos\": [\"" + QByteArray(500, '!') + "\"]}");
    QTest::newRow("other members and BOM")
        << "\xef\xbb\xbf{\"a\": {\"customers\": 1}, \"customers\": [{\"x\": {\"photos\": [\"" +
               photo + "\"]}, \"photos\": [7, \"" + photo + "\"]}], \"z\": [1.5e3, true]}";
    QTest::newRow("duplicate members")
        << R"({"customers": [], "customers": [{"photos": ["1"], "id": 2, "photos": [")" + photo +
               "\"], \"id\": 5}]}";
    QTest::newRow("numbers Qt rounds") << doc(R"({"id": 1.0, "age": 1e2, "fitterId": -0})");
    QTest::newRow("truncated photo") << doc("{\"photos\": [\"" + photo.left(300));
    QTest::newRow("garbage after") << doc("{}") + " x";
    QTest::newRow("control byte in photo") << doc("{\"photos\": [\"" + photo + "\x01\"]}");
    QTest::newRow("bad UTF-8 in photo") << doc("{\"photos\": [\"\xff" + photo + "\"]}");
    QTest::newRow("bad UTF-8 in a key")
        << QByteArray("{\"cust\xc3mers\": [], \"customers\": [{}]}");
    QTest::newRow("trailing comma") << doc("{},");
    QTest::newRow("photo text like a placeholder")
        << doc(R"({"photos": [")" + photo + R"(", "\u00000", ")" + QByteArray(1, '\0') + "0\"]}");
    QTest::newRow("space inside a literal") << doc("{\"x\": [1, n\tull]}");
    QTest::newRow("numbers apart by a space") << doc("{\"x\": {\"y\": [2 3]}}");
}
#endif

// A small file system over `dir`, in a mount namespace of this thread only.
bool mountSmallDisk(const QString &dir)
{
    return unshare(CLONE_NEWNS) == 0 &&
           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, "size=512k") == 0;
}

QStringList preservedCopies(const QString &path)
{
    const QFileInfo info(path);
    return info.dir().entryList({info.fileName() + ".unreadable-*"}, QDir::Files);
}

// Counts the folder syncs made while `whenFolderSynced` holds.
std::function<bool()> whenFolderSynced;
int folderSyncsSeen = 0;

} // namespace

// Every fsync of the stores comes through here, then goes on to the C library's.
extern "C" int fsync(int handle)
{
    using Fsync = int (*)(int);
    static const auto real = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
    struct stat info
    {
    };
    if (whenFolderSynced && fstat(handle, &info) == 0 && S_ISDIR(info.st_mode) &&
        whenFolderSynced())
        ++folderSyncsSeen;
    return real(handle);
}

class TestCustomerStore : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir dir(JsonFileStore::dataDirectory());
        for (const QString &name : dir.entryList({"customers.json*", "fitters.json*"}, QDir::Files))
            dir.remove(name);
        CustomerStore::instance().forget();
    }

    void cleanup()
    {
        umount2(QFile::encodeName(JsonFileStore::dataDirectory()).constData(), MNT_DETACH);
    }

    void scanReadsWhatQtReads_data() { addScanRows(); }

    // Fields and photos exactly as a whole-document parse gives them, and no
    // orders where that parse fails.
    void scanReadsWhatQtReads()
    {
        QFETCH(QByteArray, content);
        const QString mismatch = scanMismatch(content);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    // The same for documents damaged at random: a byte changed, a snippet
    // put in, a piece cut out; those Qt reads are saved again and must come
    // out as Qt writes them. LUMAURAL_SCAN_ROUNDS asks for more rounds,
    // LUMAURAL_SCAN_SEED repeats the rounds of a failure.
    void scanReadsWhatQtReadsAfterRandomDamage()
    {
        const int rounds = qEnvironmentVariableIsSet("LUMAURAL_SCAN_ROUNDS")
                               ? qEnvironmentVariableIntValue("LUMAURAL_SCAN_ROUNDS")
                               : 400;
        const quint32 seed = qEnvironmentVariableIsSet("LUMAURAL_SCAN_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("LUMAURAL_SCAN_SEED"))
                                 : QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        QList<Customer> base = orders(3, 2);
        base[1].photos.append(QStringLiteral("short|QUJD"));
        base[2].notes = QStringLiteral("Ohr \"links\" / 左耳\n");
        const QByteArray document = qtDocument(base);
        const QList<QByteArray> snippets = {
            "\"", "\\", "\\/",  "\\u0041", "\\n",      "{",    "}",   "[",
            "]",  ",",  ":",    " ",       "\n",       "null", "1e5", "-0",
            "{}", "[]", "\x01", "\xc3",    "\xc3\xa4", "\xff", "|",   "\"photos\": [\"a|b\"], "};
        for (int round = 0; round < rounds; ++round) {
            QByteArray content = document;
            for (int k = 1 + int(random.bounded(3)); k > 0 && !content.isEmpty(); --k) {
                const qsizetype at = random.bounded(content.size());
                switch (random.bounded(4)) {
                case 0:
                    content[at] = snippets.at(random.bounded(snippets.size())).front();
                    break;
                case 1:
                    content.insert(at, snippets.at(random.bounded(snippets.size())));
                    break;
                case 2:
                    content.remove(at, 1 + random.bounded(40));
                    break;
                default:
                    content.truncate(at);
                }
            }
            QString mismatch = scanMismatch(content);
            if (mismatch.isEmpty())
                mismatch = resaveMismatch(content);
            if (!mismatch.isEmpty())
                QFAIL(qPrintable(QStringLiteral("seed %1, round %2: %3\n%4")
                                     .arg(seed)
                                     .arg(round)
                                     .arg(mismatch, QString::fromLatin1(content.toPercentEncoding(
                                                        " {}[],:\"\\|")))));
        }
    }

    void chunksComeInOrder_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("failAt");
        QTest::addColumn<qint64>("stopAfter");
        const qint64 never = std::numeric_limits<qint64>::max();
        QTest::newRow("empty") << qint64(0) << never << never;
        QTest::newRow("one chunk, read on the spot") << qint64(1000) << never << never;
        QTest::newRow("read ahead") << qint64(300007) << never << never;
        QTest::newRow("failing ahead") << qint64(300007) << qint64(700 * 200) << never;
        QTest::newRow("left early") << qint64(300007) << never << qint64(5);
    }

    // Every byte once and in order, whether read on the spot or ahead, and an
    // error ends the bytes instead of passing for their end.
    void chunksComeInOrder()
    {
        QFETCH(qint64, size);
        QFETCH(qint64, failAt);
        QFETCH(qint64, stopAfter);
        PatternSource source(size, failAt);
        ChunkReader reader(source, 1024);
        qint64 offset = 0;
        for (qint64 chunk = 0; chunk < stopAfter; ++chunk) {
            const QByteArrayView bytes = reader.next();
            if (bytes.isEmpty())
                break;
            for (qint64 i = 0; i < bytes.size(); ++i, ++offset) {
                if (bytes[i] != PatternSource::at(offset))
                    QFAIL(qPrintable(QStringLiteral("wrong byte at %1").arg(offset)));
            }
        }
        if (stopAfter < size)
            return; // and the reader, still ahead, stops without a hang
        QCOMPARE(reader.failed(), failAt < size);
        QCOMPARE(offset, std::min(size, failAt));
        QVERIFY(reader.next().isEmpty());
    }

    // Each special byte at each place of a vector and of the rest after it,
    // found by the search of this processor and by the one without AVX2.
    void specialBytesAreFoundAnywhere()
    {
        // The bytes next to the specials are plain: space, DEL, 'z'.
        QByteArray text(160, 'z');
        for (qsizetype i = 0; i < text.size(); i += 3)
            text[i] = i % 2 ? ' ' : '\x7f';
        QCOMPARE(JsonText::findSpecial(text.constData(), text.size()), text.size());
        QCOMPARE(JsonText::findSpecialSse2(text.constData(), text.size()), text.size());
        for (const char special : {'"', '\\', '\x01', '\x1f', '\x80', '\xff'}) {
            for (qsizetype at = 0; at < text.size(); ++at) {
                QByteArray probe = text;
                probe[at] = special;
                probe[std::min(at + 17, probe.size() - 1)] = '"';
                for (const qsizetype size : {at, at + 1, probe.size()}) {
                    const qint64 expected = size > at ? at : size;
                    QCOMPARE(JsonText::findSpecial(probe.constData(), size), expected);
                    QCOMPARE(JsonText::findSpecialSse2(probe.constData(), size), expected);
                }
            }
        }
    }

    void writerWritesWhatQtWrites_data()
    {
        QTest::addColumn<QList<Customer>>("customers");
        QTest::newRow("no orders") << QList<Customer>();
        QTest::newRow("defaults") << QList<Customer>(2);
        Customer odd;
        odd.id = std::numeric_limits<int>::max();
        odd.age = std::numeric_limits<int>::min();
        odd.name = QStringLiteral("李\"\\/\n\t\b\f\r\x01\x7f</script>");
        odd.notes = QString::fromUtf8("😀 ") + QChar(0xd800) + QChar(0xdfff);
        odd.photos = {"", "short|QUJD", jpegEntry("左耳", Qt::blue),
                      jpegEntry("a\"b\\c", Qt::green), QString(300, QChar(0xe9))};
        QTest::newRow("odd values") << QList<Customer>{odd, Customer()};
        QTest::newRow("many photos") << orders(5, 4);
        // A 1920x1080 capture in Base64 is longer than one write buffer (512 KiB).
        QList<quint32> noise(200 << 10);
        QRandomGenerator(7).fillRange(noise.data(), noise.size());
        Customer full;
        full.photos = {"capture|" + QString::fromLatin1(
                                        QByteArray(reinterpret_cast<const char *>(noise.data()),
                                                   noise.size() * sizeof(quint32))
                                            .toBase64()),
                       jpegEntry("after", Qt::red)};
        QTest::newRow("photo over one write buffer") << QList<Customer>{full, Customer()};
    }

    // Byte for byte the file Qt's writer makes, when writing new photos, when
    // copying them from the file, and after an edit.
    void writerWritesWhatQtWrites()
    {
        QFETCH(QList<Customer>, customers);
        const QByteArray expected = qtDocument(customers);
        QVERIFY(saveCustomers(customers));
        QCOMPARE(readFile(customersFilePath()), expected);
        QCOMPARE(qtDocument(loadCustomers()), expected); // from what the writer kept

        CustomerStore::instance().forget();
        QList<Customer> loaded = loadCustomers();
        QVERIFY(saveCustomers(loaded));
        QCOMPARE(readFile(customersFilePath()), expected);
        if (loaded.isEmpty())
            return;
        loaded.first().name = QStringLiteral("edited");
        loaded.move(0, loaded.size() - 1);
        const QByteArray edited = qtDocument(loaded);
        QVERIFY(saveCustomers(loaded));
        QCOMPARE(readFile(customersFilePath()), edited);
    }

    void unchangedFileIsNotScannedAgain()
    {
        QVERIFY(saveCustomers(orders(2, 2)));
        const QList<Customer> first = loadCustomers();
        QVERIFY(first[0].photos[0].isReference()); // the writer's own references
        QVERIFY(first[0].photos[0].origin()->identity == FileIdentity::ofPath(customersFilePath()));
        QCOMPARE(loadCustomers()[1].photos[1].origin(), first[1].photos[1].origin());

        QFile file(customersFilePath());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                 QFileDevice::FileModificationTime));
        file.close();
        QVERIFY(loadCustomers()[1].photos[1].origin() != first[1].photos[1].origin());
    }

    void photosFollowTheFile_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<bool>("found");
        QTest::newRow("rewritten elsewhere, orders moved") << 0 << true;
        QTest::newRow("rewritten elsewhere, order gone") << 1 << false;
        QTest::newRow("truncated in place") << 2 << false;
        QTest::newRow("replaced by a folder") << 3 << false;
    }

    // A photo is read only when shown; by then the file may be another one.
    void photosFollowTheFile()
    {
        QFETCH(int, change);
        QFETCH(bool, found);
        const QString path = customersFilePath();
        const QList<Customer> written = orders(3, 2, 10);
        QVERIFY(saveCustomers(written));
        CustomerStore::instance().forget();
        const QList<Customer> shown = loadCustomers();
        const StoredPhoto photo = shown[1].photos[1];
        QCOMPARE(photo.imageData(), written[1].photos[1].imageData());

        QList<Customer> other = written;
        if (change == 0)
            other.prepend(orders(1, 3, 5).first());
        else if (change == 1)
            other.removeAt(1);
        if (change < 2)
            writeFile(path, qtDocument(other));
        else if (change == 2)
            QVERIFY(QFile::resize(path, QFileInfo(path).size() / 2));
        else
            QVERIFY(QFile::remove(path) && QDir().mkdir(path));

        QCOMPARE(photo.image().isNull(), !found);
        if (found) {
            QCOMPARE(photo.imageData(), written[1].photos[1].imageData());
            QCOMPARE(photo.thumbnail(QSize(160, 90)).size(), QSize(160, 90));
            QCOMPARE(photo.entry(), written[1].photos[1].entry());
        }
        if (change == 3)
            QVERIFY(QDir().rmdir(path));
    }

    void failedSaveKeepsTheFile_data()
    {
        QTest::addColumn<bool>("fullDisk"); // else a file size limit
        QTest::addColumn<bool>("small");    // written in one go when the file closes
        QTest::newRow("small save, write limit") << false << true;
        QTest::newRow("photos copied, write limit") << false << false;
        QTest::newRow("photos copied, full disk") << true << false;
    }

    void failedSaveKeepsTheFile()
    {
        QFETCH(bool, fullDisk);
        QFETCH(bool, small);
        const QString dir = JsonFileStore::dataDirectory();
        if (fullDisk && !mountSmallDisk(dir))
            QSKIP("cannot mount a small file system here");
        QVERIFY(saveCustomers(orders(2, small ? 0 : 2, 4)));
        const QByteArray before = readFile(customersFilePath());
        CustomerStore::instance().forget();
        QList<Customer> more = loadCustomers();
        more += orders(4, small ? 0 : 2, 4); // the copies of the old photos cannot all be written
        std::optional<FileSizeLimit> limit;
        if (!fullDisk)
            limit.emplace(small ? 64 : before.size() * 3 / 2);
        QVERIFY(!saveCustomers(more));
        limit.reset();
        QCOMPARE(readFile(customersFilePath()), before);
        QCOMPARE(QDir(dir).entryList(QDir::Files).filter("customers").size(), 1);
        QCOMPARE(loadCustomers()[1].toJson(), more[1].toJson());
    }

    // Another program rewrote the file in place while the photos were copied:
    // the copy would be half old, half new, so the file is left as it is.
    void fileRewrittenDuringSaveIsLeftAlone()
    {
        const QString path = customersFilePath();
        QVERIFY(saveCustomers(orders(2, 2, 4)));
        CustomerStore::instance().forget();
        QList<Customer> more = loadCustomers();
        more += orders(1, 1).first();
        QByteArray rewritten = readFile(path);
        const qsizetype inPhoto = rewritten.indexOf("|/9j/") + 40;
        rewritten[inPhoto] = rewritten[inPhoto] == 'A' ? 'B' : 'A';
        CustomerStore::instance().setRunner([&](const std::function<bool()> &job) {
            QFile file(path);
            const bool inPlace =
                file.open(QIODevice::ReadWrite) && file.write(rewritten) == rewritten.size();
            file.close();
            return inPlace && job();
        });
        QVERIFY(!saveCustomers(more));
        CustomerStore::instance().setRunner(nullptr);
        QCOMPARE(readFile(path), rewritten);
        QVERIFY(saveCustomers(more)); // the photos are found again in the file as it is
        QCOMPARE(loadCustomers().size(), 3);
        QCOMPARE(loadCustomers()[0].photos[0].entry().toLatin1(),
                 rewritten.mid(rewritten.indexOf("p1_0|"),
                               rewritten.indexOf('"', inPhoto) - rewritten.indexOf("p1_0|")));
    }

    // However a save is cut off, the file is the old one or the new one.
    void killedSaveLeavesOldOrNew()
    {
        const QList<Customer> oldOrders = orders(8, 2, 8);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(saveCustomers(oldOrders));
        const qint64 saveUs = timer.nsecsElapsed() / 1000;
        const QByteArray oldBytes = readFile(customersFilePath());
        QList<Customer> newOrders = loadCustomers();
        newOrders.removeFirst();
        newOrders.last().notes = QStringLiteral("new");
        const QByteArray newBytes = qtDocument(newOrders);
        int sawNew = 0;
        for (int round = 0; round < 24; ++round) {
            const pid_t child = fork();
            if (child == 0)
                _exit(saveCustomers(newOrders) ? 0 : 1);
            usleep(useconds_t(QRandomGenerator::global()->bounded(saveUs * 2 + 1)));
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            const QByteArray now = readFile(customersFilePath());
            QVERIFY2(now == oldBytes || now == newBytes, qPrintable(QString::number(round)));
            sawNew += now == newBytes;
            if (now == newBytes) {
                writeFile(customersFilePath(), oldBytes);
                CustomerStore::instance().forget();
                newOrders = loadCustomers();
                newOrders.removeFirst();
                newOrders.last().notes = QStringLiteral("new");
            }
        }
        qInfo() << "saves completed before the kill:" << sawNew << "of 24, a save takes" << saveUs
                << "us," << oldBytes.size() << "bytes";
    }

    // 64-bit positions: a scan past 2 GiB, and photos read and copied from there.
    void offsetsBeyondTwoGiB()
    {
        const qint64 spaces = (qint64(1) << 31) + 5;
        const QByteArray photo = jpegEntry("far", Qt::cyan).toLatin1();
        const QByteArray head = R"({"customers": [{"id": 1},)";
        const QByteArray before = "{\"id\": 2, \"photos\": [\"";
        SpacedSource source(head, spaces, before + photo + "\"]}]}");
        auto origin = std::make_shared<StoredPhoto::Origin>();
        const StoreScanner::Result scan = StoreScanner::scan(source, origin);
        QCOMPARE(int(scan.status), int(StoreScanner::Status::Ok));
        const StoredPhoto &far = scan.customers.value(1).photos.value(0);
        QCOMPARE(far.location().offset, head.size() + spaces + before.size());
        QCOMPARE(far.location().length, photo.size());
        QCOMPARE(far.name(), QStringLiteral("far"));

        // A sparse file with the photo's text beyond 2 GiB.
        const QString path = JsonFileStore::dataDirectory() + "/customers.json.sparse";
        QFile sparse(path);
        QVERIFY(sparse.open(QIODevice::WriteOnly));
        QVERIFY(sparse.seek(far.location().offset - 1));
        sparse.write("\"" + photo + "\"");
        sparse.close();
        const auto at = std::make_shared<StoredPhoto::Origin>(
            StoredPhoto::Origin{path, FileIdentity::ofPath(path)});
        Customer c;
        c.photos = {StoredPhoto::reference(at, far.location(), far.name(), 2, 0)};
        QCOMPARE(c.photos[0].image().size(), QSize(64, 36));
        FileByteSource file(path);
        QTemporaryFile out;
        QVERIFY(out.open());
        StoreWriter writer(&out, &file);
        QVERIFY(writer.write({c}) && out.flush());
        QCOMPARE(readFile(out.fileName()), qtDocument({Customer::fromJson(c.toJson())}));
        QFile::remove(path);
    }

    void idAssignment_data()
    {
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<int>("expected");
        QTest::newRow("gaps") << QList<int>{3, 1, 7} << 8;
        QTest::newRow("all non-positive") << QList<int>{0, -5} << 1;
        QTest::newRow("at the int limit") << QList<int>{1, std::numeric_limits<int>::max(), 2} << 3;
    }

    void idAssignment()
    {
        QFETCH(QList<int>, ids);
        QList<Customer> customers(ids.size());
        QList<Fitter> fitters(ids.size());
        for (int i = 0; i < ids.size(); ++i)
            customers[i].id = fitters[i].id = ids[i];
        QTEST(nextCustomerId(customers), "expected");
        QTEST(nextFitterId(fitters), "expected");
    }

    void unreadableContentLoadsEmpty_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("array at top") << QByteArray("[]");
        QTest::newRow("truncated") << QByteArray(R"({"customers": [{"id": 1)");
        QTest::newRow("deeply nested") << QByteArray(R"({"customers": )") + QByteArray(100000, '[');
    }

    // The user's orders must never vanish because one save followed a bad read.
    void unreadableContentLoadsEmpty()
    {
        QFETCH(QByteArray, content);
        writeFile(customersFilePath(), content);
        QVERIFY(loadCustomers().isEmpty());
        QCOMPARE(readFile(customersFilePath()), content); // loading writes nothing

        QVERIFY(appendCustomer(Customer()));
        const QStringList kept = preservedCopies(customersFilePath());
        QCOMPARE(kept.size(), 1);
        QVERIFY(QRegularExpression(R"(^customers\.json\.unreadable-\d{8}-\d{6}$)")
                    .match(kept[0])
                    .hasMatch());
        QCOMPARE(readFile(QFileInfo(customersFilePath()).dir().filePath(kept[0])), content);
        QCOMPARE(loadCustomers().size(), 1);
    }

    void readableFilesAreNotCopiedAside()
    {
        QVERIFY(saveFitters({Fitter()}));
        QVERIFY(saveFitters({Fitter(), Fitter()}));
        writeFile(fittersFilePath(), R"({"other": 1})"); // an object without the key reads as empty
        QVERIFY(loadFitters().isEmpty());
        QVERIFY(saveFitters({}));
        QVERIFY(preservedCopies(fittersFilePath()).isEmpty());
        // Replaced behind the store's back: checked again before the next save.
        writeFile(fittersFilePath(), "{broken");
        QVERIFY(saveFitters({Fitter()}));
        QCOMPARE(preservedCopies(fittersFilePath()).size(), 1);
    }

    void fileThatCannotBeReadIsLeftAlone_data()
    {
        QTest::addColumn<bool>("tooLarge"); // else a folder in its place for a while
        // customers.json is read at any size; fitters.json goes through Qt's reader.
        QTest::newRow("too large for the reader") << true;
        QTest::newRow("cannot be opened") << false;
    }

    void fileThatCannotBeReadIsLeftAlone()
    {
        QFETCH(bool, tooLarge);
        const QString path = tooLarge ? fittersFilePath() : customersFilePath();
        const auto saveOne = [&] {
            return tooLarge ? saveFitters(loadFitters() << Fitter()) : appendCustomer(Customer());
        };
        QVERIFY(tooLarge ? saveFitters(QList<Fitter>(3)) : saveCustomers(QList<Customer>(3)));
        const QByteArray stored = readFile(path);
        QVERIFY(tooLarge ? QFile::resize(path, JsonFileStore::MaxJsonBytes + 1) // sparse
                         : QFile::rename(path, path + "-away") && QDir().mkdir(path));
        QTest::qWait(10); // alerts still on their way from earlier cases
        QSignalSpy alerts(StoreAlerts::instance(), &StoreAlerts::fileLeftAlone);
        QVERIFY(!saveOne());
        QVERIFY(alerts.wait());
        QCOMPARE(alerts.count(), 1); // once, however often read
        QCOMPARE(alerts[0][1].value<StoreAlerts::Problem>(),
                 tooLarge ? StoreAlerts::Problem::TooLarge : StoreAlerts::Problem::Unavailable);

        // Readable again, and read well by one page, while another may still
        // hold the empty list of the failed read.
        QVERIFY(tooLarge ? QFile::resize(path, stored.size())
                         : QDir().rmdir(path) && QFile::rename(path + "-away", path));
        QCOMPARE(tooLarge ? loadFitters().size() : loadCustomers().size(), 3);
        QVERIFY(tooLarge ? saveFitters({Fitter()}) : saveCustomers({Customer()}));
        const QStringList kept = preservedCopies(path);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(readFile(QFileInfo(path).dir().filePath(kept[0])), stored);
    }

    void namesOutlastAPowerCut_data()
    {
        QTest::addColumn<int>("store");
        QTest::newRow("customers.json") << 0;
        QTest::newRow("fitters.json") << 1;
        QTest::newRow("copy kept aside") << 2;
    }

    // A rename is on disk once the folder is synced; a copy kept aside is
    // synced before the file it keeps is replaced.
    void namesOutlastAPowerCut()
    {
        QFETCH(int, store);
        const QString path = store == 0 ? customersFilePath() : fittersFilePath();
        const QByteArray damaged = "{durable";
        if (store == 2) {
            writeFile(path, damaged);
            QVERIFY(loadFitters().isEmpty());
        }
        folderSyncsSeen = 0;
        whenFolderSynced = [&] {
            if (store < 2)
                return readFile(path).contains("durable");
            const QStringList kept = preservedCopies(path);
            return readFile(path) == damaged && kept.size() == 1 &&
                   readFile(QFileInfo(path).dir().filePath(kept[0])) == damaged;
        };
        Customer c;
        c.name = "durable";
        Fitter f;
        f.name = "durable";
        const bool saved = store == 0
                               ? saveCustomers({c})
                               : saveFitters(store == 1 ? QList<Fitter>{f} : QList<Fitter>{});
        whenFolderSynced = nullptr;
        QVERIFY(saved);
        QVERIFY(folderSyncsSeen > 0);
    }

    void interruptedSaveLeftoversAreRemoved()
    {
        QDir dir(JsonFileStore::dataDirectory());
        const QStringList others{"customers.json.AbCd1f", "customers.json.AbCdEfG",
                                 "customers.json.Backup", "customers.json.backup",
                                 "fitters.json.AbCdEf"};
        for (const QString &name :
             others + QStringList{"customers.json.AbCdEf", "customers.json.qWxyZa"})
            writeFile(dir.filePath(name), "{}");
        QVERIFY(saveCustomers({}));
        QCOMPARE(dir.entryList({"*.json.*"}, QDir::Files, QDir::Name), others);
    }
};

// The file store's own cases, then the store contract against the JSON files.
int main(int argc, char *argv[])
{
    TestSupport::requireIsolation();
    QApplication app(argc, argv);
    TestCustomerStore files;
    QTEST_SET_MAIN_SOURCE_PATH
    const int failed = QTest::qExec(&files, argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path();
    BackendFactory factory;
    factory.reset = [folder] {
        for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(folder + '/' + name);
        CustomerStore::instance().forget();
    };
    factory.open = [folder] { return std::make_shared<JsonRecordsBackend>(folder); };
    BackendContract contract(factory);
    return failed + QTest::qExec(&contract, argc, argv);
}

#include "tst_customerstore.moc"
