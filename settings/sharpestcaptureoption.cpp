#include "settings/sharpestcaptureoption.h"

#include "i18n/langmanager.h"
#include "settings/usersettings.h"
#include "ui/common/roundedcheckbox.h"

#include <QLabel>
#include <QVBoxLayout>

SharpestCaptureOption::SharpestCaptureOption(QWidget *parent)
    : QWidget(parent), m_title(new QLabel(this)), m_check(new RoundedCheckBox(this)),
      m_hint(new QLabel(this))
{
    setObjectName(QStringLiteral("sharpestCaptureOption"));
    m_title->setStyleSheet(QStringLiteral("QLabel { color:#333333; font-size:14px; "
                                          "font-weight:700; background:transparent; border:none; "
                                          "}"));
    m_check->setObjectName(QStringLiteral("sharpestCaptureCheck"));
    m_check->setCursor(Qt::PointingHandCursor);
    m_check->setStyleSheet(QStringLiteral(
        "QCheckBox { color:#333333; font-size:14px; background:transparent; spacing:10px; }"));
    m_check->setChecked(UserSettings::instance().sharpestCapture());
    m_hint->setWordWrap(true);
    m_hint->setStyleSheet(QStringLiteral(
        "QLabel { color:#777777; font-size:13px; background:transparent; border:none; }"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_title, 0, Qt::AlignLeft);
    layout->addSpacing(20);
    layout->addWidget(m_check, 0, Qt::AlignLeft);
    layout->addSpacing(8);
    layout->addWidget(m_hint);

    connect(m_check, &QCheckBox::toggled, this,
            [](bool on) { UserSettings::instance().setSharpestCapture(on); });
    connect(LangManager::instance(), &LangManager::languageChanged, this,
            &SharpestCaptureOption::retranslate);
    retranslate();
}

bool SharpestCaptureOption::isOn() const
{
    return m_check->isChecked();
}

void SharpestCaptureOption::retranslate()
{
    m_title->setText(uiText(QStringLiteral("settings.capture.title"), QStringLiteral("拍照")));
    m_check->setText(
        uiText(QStringLiteral("settings.capture.sharpest"), QStringLiteral("保存最清晰的画面")));
    m_hint->setText(uiText(QStringLiteral("settings.capture.sharpest_hint"),
                           QStringLiteral("拍照时从最近半秒的画面中选出最清晰的一张保存，"
                                          "以免患者移动造成模糊。关闭时保存按下时的画面。")));
}
