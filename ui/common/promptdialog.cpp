#include "ui/common/promptdialog.h"

#include "i18n/langmanager.h"
#include "ui/common/dimlayer.h"

#include <QDialog>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int CardWidth = 380;
constexpr int CardHeight = 188;
constexpr int PromptButtonHeight = 48;

const char *const OkStyle =
    "QPushButton { background:#585656; border:none; border-radius:24px;  color:white; "
    "font-size:15px; font-weight:700; }QPushButton:hover { background:#6a6868; }";
const char *const CancelStyle =
    "QPushButton { background:white; border:1px solid #585656; border-radius:24px;  "
    "color:#585656; font-size:15px; font-weight:700; }QPushButton:hover { background:#f5f5f5; }";

QPushButton *createPromptButton(QDialog *overlay, const QString &text, const char *style)
{
    auto *button = new QPushButton(text, overlay);
    button->setObjectName(QStringLiteral("promptButton"));
    button->setFixedSize(140, PromptButtonHeight);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QLatin1String(style));
    return button;
}

// Keeps a card centred over its overlay, and the overlay's window shape on
// the card, whenever the card's size changes: a caller that makes the card
// taller for its content would otherwise see that content cut off by the
// shape of the smaller card.
class CardKeeper : public QObject
{
public:
    CardKeeper(QDialog *overlay, QFrame *card) : QObject(card), m_overlay(overlay), m_card(card)
    {
        card->installEventFilter(this);
        place();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_card && event->type() == QEvent::Resize)
            place();
        return false;
    }

private:
    void place()
    {
        m_card->move((m_overlay->width() - m_card->width()) / 2,
                     (m_overlay->height() - m_card->height()) / 2);
        m_overlay->setMask(DimLayer::roundedRegion(m_card->geometry(), 20));
    }

    QDialog *m_overlay;
    QFrame *m_card;
};

QVBoxLayout *cardLayout(QFrame *card)
{
    return static_cast<QVBoxLayout *>(card->layout());
}

} // namespace

QDialog *createPromptOverlay(QWidget *parent)
{
    auto *dialog = new QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint);
    dialog->setAttribute(Qt::WA_TranslucentBackground);
    QWidget *top = parent ? parent->window() : nullptr;
    dialog->setFixedSize(top ? top->size() : QSize(1200, 760));
    // Placed exactly over the window: left to Qt, a dialog is centred with
    // room for a frame this one does not have, and the card slides off.
    if (top)
        dialog->move(top->geometry().topLeft());
    // The dimming is painted inside the window; the dialog itself is only
    // its card (see createPromptCard), so no window manager has to blend it.
    DimLayer::cover(top, 0.25, dialog);
    return dialog;
}

QFrame *createPromptCard(QDialog *overlay, const QString &text)
{
    auto *card = new QFrame(overlay);
    card->setObjectName(QStringLiteral("promptCard"));
    card->setStyleSheet(QStringLiteral("QFrame { background:white; border-radius:20px; }"));

    auto *layout = new QVBoxLayout(card);
    const QMargins margins(32, 36, 32, 28);
    layout->setContentsMargins(margins);
    layout->setSpacing(32);

    auto *label = new QLabel(text, card);
    label->setObjectName(QStringLiteral("promptText"));
    // Messages often carry names the user typed; never interpret them as markup.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setStyleSheet(QStringLiteral(
        "QLabel { color:#333333; font-size:18px; font-weight:700; background:transparent; }"));
    layout->addWidget(label);
    label->ensurePolished(); // the style sheet's font decides the height
    // A message too long for the usual card (a file path, a summary of
    // several lines) makes the card taller rather than losing its end; the
    // row of buttons added below it is one button high.
    const int needed = margins.top() +
                       label->heightForWidth(CardWidth - margins.left() - margins.right()) +
                       layout->spacing() + PromptButtonHeight + margins.bottom();
    card->setFixedSize(
        CardWidth, std::clamp(needed, CardHeight, std::max(CardHeight, overlay->height() - 40)));
    new CardKeeper(overlay, card);
    return card;
}

void showPromptMessage(QWidget *parent, const QString &text)
{
    QDialog *dialog = createPromptOverlay(parent);
    QFrame *card = createPromptCard(dialog, text);

    QPushButton *ok = createPromptButton(
        dialog, uiText(QStringLiteral("common.ok"), QStringLiteral("确定")), OkStyle);
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addStretch();
    row->addWidget(ok);
    row->addStretch();
    cardLayout(card)->addLayout(row);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);

    dialog->exec();
    delete dialog;
}

bool showPromptConfirm(QWidget *parent, const QString &text, PromptDefault defaultButton)
{
    QDialog *dialog = createPromptOverlay(parent);
    QFrame *card = createPromptCard(dialog, text);
    bool confirmed = false;

    const bool cancelFirst = defaultButton == PromptDefault::Cancel;
    QPushButton *cancel =
        createPromptButton(dialog, uiText(QStringLiteral("common.cancel"), QStringLiteral("取消")),
                           cancelFirst ? OkStyle : CancelStyle);
    QPushButton *ok =
        createPromptButton(dialog, uiText(QStringLiteral("common.ok"), QStringLiteral("确定")),
                           cancelFirst ? CancelStyle : OkStyle);
    // Enter presses the focused button; left alone, focus would go to the
    // first one, Cancel, whatever is drawn as the one to press.
    QPushButton *preferred = cancelFirst ? cancel : ok;
    preferred->setDefault(true);
    preferred->setFocus();
    auto *row = new QHBoxLayout;
    row->setSpacing(20);
    row->addWidget(cancel);
    row->addWidget(ok);
    cardLayout(card)->addLayout(row);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    QObject::connect(ok, &QPushButton::clicked, dialog, [dialog, &confirmed] {
        confirmed = true;
        dialog->accept();
    });

    dialog->exec();
    delete dialog;
    return confirmed;
}
