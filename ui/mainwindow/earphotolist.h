#pragma once

#include "records/reportphoto.h"
#include "ui/mainwindow/capturedphoto.h"

#include <QList>
#include <QString>

// The photos of one ear in capture order. Each entry carries its picture,
// its file and its tick together, so they cannot drift apart: whatever is
// added or removed, index i of the picture, the path and the tick always
// describe the same photo.
class EarPhotoList
{
public:
    enum Ear { Left, Right };

    explicit EarPhotoList(Ear ear) : m_ear(ear) {}

    Ear ear() const { return m_ear; }
    // "L" or "R", as in the photo files' names.
    QString letter() const;

    int size() const { return int(m_photos.size()); }
    bool isEmpty() const { return m_photos.isEmpty(); }
    bool isValidIndex(int index) const { return index >= 0 && index < size(); }
    const CapturedPhoto &at(int index) const { return m_photos.at(index); }

    // Appends an unticked photo; returns its index.
    int append(const CapturedPhoto &photo);
    void setPath(int index, const QString &path);
    // Puts `photo` (with its path) in place of photo `index`, keeping its
    // tick and its orders.
    void replace(int index, const CapturedPhoto &photo);
    void clear() { m_photos.clear(); }

    void setChecked(int index, bool checked);
    void setAllChecked(bool checked);
    // The ticked indices in ascending order.
    QList<int> checkedIndices() const;
    // True when there are photos and every one is ticked.
    bool allChecked() const;

    // Removes the photos at `indices` (any order, duplicates and invalid
    // indices ignored), the highest first so the lower ones stay valid.
    // Returns the files of the removed photos that had one.
    QStringList remove(QList<int> indices);

    // The photos that go into the next order, ascending: every photo not yet
    // in an order, and of those already in one only the ticked ones, so that
    // no order takes another patient's photos by accident.
    QList<int> orderIndices() const;
    // The ticked photos already in an order, which the next order takes again.
    QList<int> refiledIndices() const;
    // The numbers of the orders the refiled photos are in, each once.
    QStringList refiledOrderNumbers() const;

    // The name of photo `index` in an order: its file's base name, or
    // "left_N" / "right_N" (1-based position) when it has no file.
    QString orderPhotoName(int index) const;
    // The photos of orderIndices() as they go into an order, in capture order.
    QList<ReportPhoto> reportPhotos() const;
    // Remembers orderIndices() as the photos of the order being saved; a
    // photo captured while it is being saved is not part of it.
    void holdForOrder();
    // The held photos are now in order `orderNumber`: marked with it and
    // unticked, so the next order leaves them out unless ticked again.
    void fileHeld(const QString &orderNumber);

private:
    Ear m_ear;
    QList<CapturedPhoto> m_photos;
};
