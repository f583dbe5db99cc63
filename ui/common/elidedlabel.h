#pragma once

#include <QLabel>

// A one-line plain-text label that shortens its text with "…" to the width it
// is given, so that a very long name cannot widen the layout that holds it.
// text() keeps the whole text.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(const QString &text = QString(), QWidget *parent = nullptr);

    // The widest the label asks for; longer texts are shortened.
    void setMaximumHintWidth(int width);
    // Texts up to this wide are never shortened: the layout must give them
    // their room (a phone number cut short is no use).
    void setKeptWidth(int width);
    // A shorter form shown instead of the text when the text does not fit
    // (for example the value without its caption).
    void setShortText(const QString &shortText);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The text as painted at the current width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_maximumHintWidth = 240;
    int m_keptWidth = 0;
    QString m_shortText;
};
