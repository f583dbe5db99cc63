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
    const bool checked = m_photos.at(index).checked;
    m_photos[index] = photo;
    m_photos[index].checked = checked;
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
    photos.reserve(size());
    for (int i = 0; i < size(); ++i)
        photos.append(ReportPhoto{QPixmap(), orderPhotoName(i), m_photos.at(i).jpeg()});
    return photos;
}
