#include "ui/mainwindow/earphotolist.h"

#include <QFileInfo>

#include <algorithm>

QString EarPhotoList::letter() const
{
    return m_ear == Left ? QStringLiteral("L") : QStringLiteral("R");
}

int EarPhotoList::append(const CapturedPhoto &photo)
{
    m_photos.append(photo);
    m_photos.last().checked = false;
    m_photos.last().orderNumbers.clear();
    m_photos.last().heldForOrder = false;
    return size() - 1;
}

void EarPhotoList::setPath(int index, const QString &path)
{
    if (isValidIndex(index))
        m_photos[index].path = path;
}

void EarPhotoList::replace(int index, const CapturedPhoto &photo)
{
    if (!isValidIndex(index))
        return;
    CapturedPhoto updated = photo;
    updated.checked = m_photos.at(index).checked;
    updated.orderNumbers = m_photos.at(index).orderNumbers;
    updated.heldForOrder = m_photos.at(index).heldForOrder;
    m_photos[index] = updated;
}

void EarPhotoList::setChecked(int index, bool checked)
{
    if (isValidIndex(index))
        m_photos[index].checked = checked;
}

void EarPhotoList::setAllChecked(bool checked)
{
    for (CapturedPhoto &photo : m_photos)
        photo.checked = checked;
}

QList<int> EarPhotoList::checkedIndices() const
{
    QList<int> indices;
    for (int i = 0; i < size(); ++i) {
        if (m_photos.at(i).checked)
            indices.append(i);
    }
    return indices;
}

bool EarPhotoList::allChecked() const
{
    return !isEmpty() && std::all_of(m_photos.cbegin(), m_photos.cend(),
                                     [](const CapturedPhoto &photo) { return photo.checked; });
}

QStringList EarPhotoList::remove(QList<int> indices)
{
    std::sort(indices.begin(), indices.end(), std::greater<int>());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    QStringList files;
    for (int index : std::as_const(indices)) {
        if (!isValidIndex(index))
            continue;
        if (!m_photos.at(index).path.isEmpty())
            files.append(m_photos.at(index).path);
        m_photos.removeAt(index);
    }
    return files;
}

QList<int> EarPhotoList::orderIndices() const
{
    QList<int> indices;
    for (int i = 0; i < size(); ++i) {
        if (!m_photos.at(i).isFiled() || m_photos.at(i).checked)
            indices.append(i);
    }
    return indices;
}

QList<int> EarPhotoList::refiledIndices() const
{
    QList<int> indices;
    for (int i = 0; i < size(); ++i) {
        if (m_photos.at(i).isFiled() && m_photos.at(i).checked)
            indices.append(i);
    }
    return indices;
}

QStringList EarPhotoList::refiledOrderNumbers() const
{
    QStringList numbers;
    for (int index : refiledIndices())
        numbers += m_photos.at(index).orderNumbers;
    numbers.removeDuplicates();
    return numbers;
}

void EarPhotoList::holdForOrder()
{
    const QList<int> indices = orderIndices();
    for (int i = 0; i < size(); ++i)
        m_photos[i].heldForOrder = indices.contains(i);
}

void EarPhotoList::fileHeld(const QString &orderNumber)
{
    for (CapturedPhoto &photo : m_photos) {
        if (!photo.heldForOrder)
            continue;
        photo.heldForOrder = false;
        photo.orderNumbers.append(orderNumber);
        photo.checked = false;
    }
}

QString EarPhotoList::orderPhotoName(int index) const
{
    if (isValidIndex(index)) {
        const QString base = QFileInfo(m_photos.at(index).path).completeBaseName();
        if (!m_photos.at(index).path.isEmpty() && !base.isEmpty())
            return base;
    }
    return (m_ear == Left ? QStringLiteral("left_%1") : QStringLiteral("right_%1")).arg(index + 1);
}

QList<ReportPhoto> EarPhotoList::reportPhotos() const
{
    QList<ReportPhoto> photos;
    for (int i : orderIndices())
        photos.append(ReportPhoto{QPixmap(), orderPhotoName(i), m_photos.at(i).jpeg()});
    return photos;
}
