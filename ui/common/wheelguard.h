#pragma once

#include <QObject>

class QWidget;

// A spin box or combo box on a scrolling page takes the wheel only once the
// user has clicked into it. Otherwise a page scrolled with the wheel would
// silently change whatever value passes under the pointer (how many backups
// to keep, the records location); the wheel scrolls the page instead.
class WheelGuard : public QObject
{
    Q_OBJECT

public:
    static void install(QWidget *field);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
