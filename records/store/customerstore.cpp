#include "records/store/customerstore.h"

#include "records/store/filebytesource.h"
#include "records/store/jsonfilestore.h"
#include "records/store/storescanner.h"
#include "records/store/storewriter.h"

#include <QDebug>
#include <QSaveFile>

using JsonFileStore::ReadStatus;

CustomerStore &CustomerStore::instance()
{
    static CustomerStore store;
    return store;
}

const CustomerStore::Known *CustomerStore::scanned(const QString &path, ReadStatus *status)
{
    const auto note = [&](const FileIdentity &identity, ReadStatus found) {
        JsonFileStore::noteRead(path, identity, found);
        *status = found;
    };
    const auto known = m_files.constFind(path);
    if (known != m_files.cend() && known->origin->identity == FileIdentity::ofPath(path))
        return &*known;
    m_files.remove(path);

    // A file changed while it was being scanned is scanned again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        FileByteSource file(path);
        if (!file.exists()) {
            note({}, ReadStatus::Missing);
            return nullptr;
        }
        if (!file.isOpen()) { // locked, no permission, a folder
            note({}, ReadStatus::Unavailable);
            return nullptr;
        }
        auto origin =
            std::make_shared<StoredPhoto::Origin>(StoredPhoto::Origin{path, file.identity()});
        StoreScanner::Result scan = StoreScanner::scan(file, origin);
        if (file.currentIdentity() != file.identity())
            continue;
        switch (scan.status) {
        case StoreScanner::Status::Ok:
            note(file.identity(), ReadStatus::Ok);
            return &*m_files.insert(path, {std::move(origin), std::move(scan.customers)});
        case StoreScanner::Status::Empty:
            note(file.identity(), ReadStatus::Missing);
            return nullptr;
        case StoreScanner::Status::Damaged:
            note(file.identity(), ReadStatus::Damaged);
            return nullptr;
        case StoreScanner::Status::ReadError:
            break;
        }
        if (file.currentIdentity() == file.identity())
            break; // a real read error, not a change under way
    }
    note({}, ReadStatus::Unavailable);
    return nullptr;
}

void CustomerStore::forget()
{
    const std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_files.clear();
}

QList<Customer> CustomerStore::load(const QString &path)
{
    ReadStatus status = ReadStatus::Ok;
    return load(path, &status);
}

QList<Customer> CustomerStore::load(const QString &path, ReadStatus *status)
{
    const std::lock_guard<std::recursive_mutex> lock(m_mutex);
    *status = ReadStatus::Ok;
    const Known *known = scanned(path, status);
    return known != nullptr ? known->customers : QList<Customer>();
}

StoredPhoto CustomerStore::relocate(const StoredPhoto &photo)
{
    if (!photo.isReference())
        return photo;
    const std::lock_guard<std::recursive_mutex> lock(m_mutex);
    ReadStatus status = ReadStatus::Ok;
    const Known *known = scanned(photo.origin()->path, &status);
    if (known == nullptr)
        return {};
    for (const Customer &customer : known->customers) {
        if (customer.id != photo.orderId() || photo.index() >= customer.photos.size())
            continue;
        const StoredPhoto &candidate = customer.photos.at(photo.index());
        if (candidate.isReference() && candidate.name() == photo.name())
            return candidate;
    }
    return {};
}

bool CustomerStore::save(const QString &path, const QList<Customer> &customers)
{
    if (m_saving) {
        qWarning() << "Not saving" << path << "while another save is still running";
        return false;
    }
    std::unique_lock<std::recursive_mutex> lock(m_mutex);
    const auto probe = [&] {
        ReadStatus status = ReadStatus::Ok;
        scanned(path, &status);
        return status;
    };
    if (!JsonFileStore::prepareToReplace(path, probe))
        return false;

    // Photos still refer to the file they were loaded from; where this
    // process replaced it since, they are found again in the file as it is.
    ReadStatus status = ReadStatus::Ok;
    const Known *known = scanned(path, &status);
    FileByteSource source(path);
    const bool haveSource =
        known != nullptr && source.isOpen() && source.identity() == known->origin->identity;
    // Photos of another file are read here: the writing may run on a worker
    // thread, which must not look anything up in the store.
    QList<Customer> toWrite = customers;
    for (Customer &customer : toWrite) {
        for (StoredPhoto &photo : customer.photos) {
            if (!photo.isReference() ||
                (haveSource && photo.origin()->identity == source.identity()))
                continue;
            const StoredPhoto moved = photo.origin()->path == path ? relocate(photo) : photo;
            const bool elsewhere = moved.isReference() && moved.origin()->path != path;
            const QString entry = elsewhere ? moved.entry() : QString();
            if (!moved.isReference() || (elsewhere && entry.isEmpty())) {
                qWarning() << "Photo" << photo.name() << "of order" << photo.orderId()
                           << "can no longer be read from" << photo.origin()->path
                           << "- not saving";
                return false;
            }
            photo = elsewhere ? StoredPhoto(entry) : moved;
        }
    }

    FileIdentity written;
    QList<QList<StoredPhoto::Location>> locations;
    const auto job = [&] {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        StoreWriter writer(&file, haveSource ? &source : nullptr);
        if (!writer.write(toWrite)) {
            qWarning() << "Write to" << file.fileName() << "failed:" << file.errorString();
            file.cancelWriting();
            return false;
        }
        // Photos copied from a file another program rewrote meanwhile could
        // be half old, half new.
        if (haveSource && source.currentIdentity() != source.identity()) {
            qWarning() << path << "changed while it was being saved - not replacing it";
            file.cancelWriting();
            return false;
        }
        // The file keeps its inode and modification time through the rename.
        written = FileIdentity::ofHandle(file.handle());
        if (!JsonFileStore::commitSaveFile(file, writer.size()))
            return false;
#ifdef Q_OS_WIN
        written = FileIdentity::ofPath(path); // no identity from a handle there
#endif
        locations = writer.locations();
        return true;
    };
    lock.unlock();
    m_saving = true;
    const bool saved = m_runner ? m_runner(job) : job();
    m_saving = false;
    if (!saved)
        return false;
    lock.lock();
    JsonFileStore::noteWritten(path, written);

    // What was written becomes what is known of the file: the new photos too
    // are references into it from now on.
    auto origin = std::make_shared<StoredPhoto::Origin>(StoredPhoto::Origin{path, written});
    for (qsizetype i = 0; i < toWrite.size(); ++i) {
        Customer &customer = toWrite[i];
        for (qsizetype k = 0; k < customer.photos.size(); ++k) {
            const StoredPhoto::Location &at = locations.at(i).at(k);
            const StoredPhoto &photo = customer.photos.at(k);
            if (at.length >= StoreScanner::InlineLimit || photo.isReference())
                customer.photos[k] =
                    StoredPhoto::reference(origin, at, photo.name(), customer.id, int(k));
        }
    }
    m_files.insert(path, {std::move(origin), std::move(toWrite)});
    return true;
}
