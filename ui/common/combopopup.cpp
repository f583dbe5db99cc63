#include "ui/common/combopopup.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QPainterPath>
#include <QRegion>
#include <QStyledItemDelegate>
#include <QWidget>

namespace {

// Modest on purpose: the corners are cut with a window mask, which cannot be
// antialiased. A translucent window would round them smoothly but shows black
// corners wherever no compositor runs, as on many X11 desktops.
constexpr int PopupRadius = 12;

// The list's border and padding on both sides plus room for a scroll bar.
constexpr int ListChrome = 2 * (1 + 6) + 12;

const char *const MarkerProperty = "lumauralComboPopup";

// Item text stays plain #333333 on the tint: the list is a choice, not a link.
const char *const PopupStyle =
    "QAbstractItemView { background: white; border: 1px solid #585656;"
    " border-radius: 12px; padding: 6px; outline: 0; color: #333333; font-size: 14px; }"
    "QAbstractItemView::item { min-height: 36px; padding: 0 14px; border: none;"
    " border-radius: 8px; color: #333333; }"
    "QAbstractItemView::item:hover, QAbstractItemView::item:selected {"
    " background: #fdefe7; color: #333333; }"
    "QScrollBar:vertical { background: transparent; width: 8px; margin: 6px 0; }"
    "QScrollBar::handle:vertical { background: #d0d0d0; border-radius: 4px; min-height: 24px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }";

// Keeps the popup window cut to the rounded shape whenever Qt sizes it anew
// for the list it is about to show.
class RoundedMask : public QObject
{
public:
    explicit RoundedMask(QWidget *window) : QObject(window) { window->installEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Show) {
            // Qt sizes the list to the field; the narrow list-page boxes would
            // then cut their item texts short inside the roomier items.
            const auto *view = window->findChild<QAbstractItemView *>();
            const int needed = view ? view->sizeHintForColumn(0) + ListChrome : 0;
            if (window->width() < needed)
                window->resize(needed, window->height());
        }
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show) {
            QPainterPath path;
            path.addRoundedRect(QRectF(window->rect()), PopupRadius, PopupRadius);
            window->setMask(QRegion(path.toFillPolygon().toPolygon()));
        }
        return false;
    }
};

} // namespace

void styleComboPopup(QComboBox *box)
{
    QAbstractItemView *view = box->view();
    // The default delegate draws items as menu entries and ignores the item
    // rules of a style sheet.
    box->setItemDelegate(new QStyledItemDelegate(box));
    view->setStyleSheet(QLatin1String(PopupStyle));
    view->setMouseTracking(true);
    QWidget *window = view->window();
    window->setWindowFlags(window->windowFlags() | Qt::FramelessWindowHint |
                           Qt::NoDropShadowWindowHint);
    // The list itself draws the border; the window's own frame would add a
    // square one around it.
    window->setStyleSheet(QStringLiteral("QFrame { border: none; background: white; }"));
    if (!window->property(MarkerProperty).toBool()) {
        new RoundedMask(window);
        window->setProperty(MarkerProperty, true);
    }
    view->setProperty(MarkerProperty, true);
}

bool hasComboPopupStyle(const QComboBox *box)
{
    const QAbstractItemView *view = box->view();
    return view && view->property(MarkerProperty).toBool() &&
           qobject_cast<QStyledItemDelegate *>(box->itemDelegate()) &&
           view->window()->windowFlags().testFlag(Qt::FramelessWindowHint);
}
