#pragma once

#include "records/store/customer.h"
#include "records/store/storebytesource.h"
#include "records/store/storedphoto.h"

#include <QList>

#include <memory>

// Reads a customers.json of any size in one pass of positioned reads: every
// order's fields, and for each photo only where its text lies. The fields go
// through Qt's own reader order by order (with the photos taken out), so they
// come out exactly as a whole-document parse would give them; the document as
// a whole must be valid JSON, as for that parse.
class StoreScanner
{
public:
    enum class Status {
        Ok,        // a JSON object; the orders are in `customers`
        Empty,     // no bytes but white space: nothing to lose
        Damaged,   // not a JSON object, or "customers" is not an array
        ReadError, // the file could not be read to its end
    };

    struct Result
    {
        Status status = Status::Empty;
        QList<Customer> customers;
    };

    // Photo texts shorter than this are kept in memory rather than referenced.
    static constexpr qint64 InlineLimit = 256;

    // References in the result point into `origin`, which names the file
    // `source` reads.
    static Result scan(StoreByteSource &source, std::shared_ptr<const StoredPhoto::Origin> origin);
};
