#pragma once

#include <QWidget>

class QLabel;
class RoundedCheckBox;

// The settings page's capture choice: save the sharpest frame of the last
// half second, or the newest one. Kept in the user's settings file at once.
class SharpestCaptureOption : public QWidget
{
    Q_OBJECT

public:
    explicit SharpestCaptureOption(QWidget *parent = nullptr);

    bool isOn() const;

private:
    void retranslate();

    QLabel *m_title = nullptr;
    RoundedCheckBox *m_check = nullptr;
    QLabel *m_hint = nullptr;
};
