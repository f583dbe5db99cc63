#pragma once

#include <QMetaType>
#include <QString>

// What became of one store operation. `message` is for the log and for the
// user where the caller has nothing better to say; it may be empty.
struct StoreResult
{
    enum class Status {
        Ok,
        Conflict,    // the record changed elsewhere since it was read; nothing written
        NotFound,    // no such record (any more)
        Unreachable, // the store cannot be reached now; trying again may work
        Failed,      // the store refused or could not complete the operation
    };

    Status status = Status::Ok;
    QString message;

    bool ok() const { return status == Status::Ok; }

    static StoreResult success() { return {}; }
    static StoreResult failure(Status status, const QString &message = QString())
    {
        return {status, message};
    }
};

Q_DECLARE_METATYPE(StoreResult)
