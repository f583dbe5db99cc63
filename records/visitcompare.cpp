#include "records/visitcompare.h"

#include "i18n/langmanager.h"
#include "records/orderdisplay.h"
#include "records/reportphoto.h"
#include "records/store/photoentry.h"
#include "records/store/recordsbackend.h"

namespace VisitCompare {

namespace {

QString visitDate(const Customer &order)
{
    // "2025.03.04 10:11:12" is more than a visit needs; the day tells it.
    return OrderDisplay::listCreatedAt(order.createdAt).left(10);
}

PhotoEar earOf(const StoredPhoto &photo)
{
    return photoEarOf(PhotoEntry::nameOf(photo));
}

// The position of `order`'s first photo of `ear` (its first photo when none is), or -1.
int firstOfEar(const Customer &order, PhotoEar ear)
{
    if (order.photos.isEmpty())
        return -1;
    for (int i = 0; i < order.photos.size(); ++i) {
        if (ear != PhotoEar::Unknown && earOf(order.photos.at(i)) == ear)
            return i;
    }
    return 0;
}

} // namespace

QList<PhotoCompareView::Choice> choices(const Customer &order, const QList<Customer> &earlier)
{
    QList<PhotoCompareView::Choice> all;
    QList<Customer> visits{order};
    visits.append(earlier);
    for (qsizetype v = 0; v < visits.size(); ++v) {
        const Customer &visit = visits.at(v);
        const QString prefix =
            OrderDisplay::singleLine(visitDate(visit) + QStringLiteral(" · ") +
                                     OrderDisplay::orDash(visit.orderNumber).left(60));
        for (int index = 0; index < visit.photos.size(); ++index) {
            const StoredPhoto &photo = visit.photos.at(index);
            QString name = PhotoEntry::nameOf(photo);
            const QString ear = photoEarText(photoEarOf(name));
            if (name.isEmpty())
                name = uiText(QStringLiteral("order_detail.photo.default_name"),
                              QStringLiteral("Inspection Photo"));
            QString label = prefix + QStringLiteral(" · ");
            if (!ear.isEmpty())
                label += ear + QStringLiteral(" · ");
            label += OrderDisplay::singleLine(name.left(80));
            // Earlier visits come from the order list, whose photos are only
            // sure to be readable when read one by one.
            const bool listed = v > 0;
            const int orderId = visit.id;
            all.append({label, [photo, listed, orderId, index] {
                            StoredPhoto read;
                            if (listed &&
                                RecordsBackend::current().readPhoto(orderId, index, &read).ok())
                                return read.image();
                            return photo.image();
                        }});
        }
    }
    return all;
}

QPair<int, int> defaultPair(const Customer &order, const QList<Customer> &earlier, int visit)
{
    const int ownCount = int(order.photos.size());
    const int first = ownCount > 0 ? 0 : -1;
    const PhotoEar ear = first >= 0 ? earOf(order.photos.first()) : PhotoEar::Unknown;
    // Where each earlier visit's photos begin among the choices.
    int offset = ownCount;
    int newest = -1;
    for (int i = 0; i < earlier.size(); ++i) {
        const int found = firstOfEar(earlier.at(i), ear);
        if (found >= 0 && (i == visit || (visit < 0 && newest < 0)))
            newest = offset + found;
        offset += int(earlier.at(i).photos.size());
    }
    if (first < 0)
        return {qMax(0, newest), qMax(0, newest)};
    if (newest >= 0)
        return {first, newest};
    return {first, qMin(1, ownCount - 1)};
}

} // namespace VisitCompare
