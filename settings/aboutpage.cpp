#include "settings/aboutpage.h"

#include "i18n/langmanager.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

const char *const CardStyle =
    "QFrame {  background: white; border-radius: 10px;  border: 1px solid #e8e8e8;}";

QFrame *card(QWidget *parent)
{
    auto *frame = new QFrame(parent);
    frame->setStyleSheet(QLatin1String(CardStyle));
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(8);
    return frame;
}

QLabel *styledLabel(const QString &style, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    // The cards' border rule must not draw frames around their labels.
    label->setStyleSheet(QStringLiteral("QLabel { border: none; %1 }").arg(style));
    return label;
}

} // namespace

AboutPage::AboutPage(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("AboutPage { background: #f7f8fa; }"));
    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);

    auto *header = new QWidget(this);
    header->setObjectName(QStringLiteral("aboutHeader"));
    header->setAttribute(Qt::WA_StyledBackground);
    header->setMinimumHeight(56);
    header->setStyleSheet(QStringLiteral(
        "QWidget#aboutHeader { background: white; border-bottom: 1px solid #e8e8e8; }"));
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(20, 0, 20, 0);
    m_backButton = new QPushButton(header);
    m_backButton->setObjectName(QStringLiteral("aboutBackBtn"));
    m_backButton->setMinimumSize(80, 34);
    m_backButton->setCursor(Qt::PointingHandCursor);
    m_backButton->setStyleSheet(QStringLiteral(
        "QPushButton {  background: white; border: 1px solid #d0d0d0; border-radius: 6px;  "
        "color: #555; font-size: 13px;}QPushButton:hover { background: #f5f5f5; }"));
    m_title = styledLabel(QStringLiteral("font-size: 16px; font-weight: bold; color: #222; "
                                         "background: transparent;"),
                          header);
    m_title->setAlignment(Qt::AlignCenter);
    auto *balance = new QWidget(header);
    balance->setMinimumSize(80, 34);
    headerLayout->addWidget(m_backButton);
    headerLayout->addStretch();
    headerLayout->addWidget(m_title);
    headerLayout->addStretch();
    headerLayout->addWidget(balance);
    pageLayout->addWidget(header);

    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setStyleSheet(
        QStringLiteral("QScrollArea { background: transparent; border: none; }"
                       "QScrollBar:vertical { width: 6px; background: transparent; }"
                       "QScrollBar::handle:vertical { background: #d0d0d0; border-radius: 3px; }"));
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("aboutContent"));
    content->setStyleSheet(QStringLiteral("QWidget#aboutContent { background: transparent; }"));
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(40, 30, 40, 40);
    layout->setSpacing(0);
    scroll->setWidget(content);
    pageLayout->addWidget(scroll, 1);

    QFrame *productCard = card(content);
    auto *productRow = new QHBoxLayout;
    auto *icon =
        styledLabel(QStringLiteral("font-size: 40px; background: transparent;"), productCard);
    icon->setFixedSize(56, 56);
    icon->setText(QStringLiteral("🔬"));
    auto *column = new QVBoxLayout;
    m_productName = styledLabel(QStringLiteral("font-size: 18px; font-weight: bold; color: #222; "
                                               "background: transparent;"),
                                productCard);
    m_subtitle = styledLabel(QStringLiteral("font-size: 13px; color: #888; background: "
                                            "transparent;"),
                             productCard);
    column->addWidget(m_productName);
    column->addWidget(m_subtitle);
    productRow->addWidget(icon);
    productRow->addLayout(column, 1);
    static_cast<QVBoxLayout *>(productCard->layout())->addLayout(productRow);
    layout->addWidget(productCard);

    layout->addSpacing(16);
    m_qtBody = addNoticeCard(content, &m_qtTitle);
    layout->addSpacing(16);
    m_lgplBody = addNoticeCard(content, &m_lgplTitle);
    layout->addSpacing(16);
    m_componentsBody = addNoticeCard(content, &m_componentsTitle);
    layout->addSpacing(24);
    m_copyright = styledLabel(QStringLiteral("font-size: 12px; color: #aaa; background: "
                                             "transparent;"),
                              content);
    m_copyright->setAlignment(Qt::AlignCenter);
    m_copyright->setWordWrap(true);
    layout->addWidget(m_copyright);
    layout->addStretch();

    connect(m_backButton, &QPushButton::clicked, this, &AboutPage::backRequested);
    connect(LangManager::instance(), &LangManager::languageChanged, this, &AboutPage::retranslate);
    retranslate();
}

QLabel *AboutPage::addNoticeCard(QWidget *parent, QLabel **title)
{
    QFrame *frame = card(parent);
    auto *layout = static_cast<QVBoxLayout *>(frame->layout());
    *title = styledLabel(QStringLiteral("font-size: 13px; font-weight: bold; color: #ff6b35; "
                                        "letter-spacing: 1px;background: transparent;"),
                         frame);
    auto *line = new QFrame(frame);
    line->setFixedHeight(1);
    line->setStyleSheet(QStringLiteral("color: #f0f0f0; background: #f0f0f0; border: none;"));
    auto *body = styledLabel(QStringLiteral("font-size: 13px; color: #444; line-height: 1.6; "
                                            "background: transparent;"),
                             frame);
    body->setWordWrap(true);
    layout->addWidget(*title);
    layout->addWidget(line);
    layout->addSpacing(6);
    layout->addWidget(body);
    parent->layout()->addWidget(frame);
    return body;
}

void AboutPage::retranslate()
{
    m_title->setText(uiText(QStringLiteral("about.title"), QStringLiteral("关于")));
    m_backButton->setText(
        uiText(QStringLiteral("common.back.with_icon"), QStringLiteral("◀ 返回")));
    m_productName->setText(uiText(QStringLiteral("app.title"), QStringLiteral("Lumaural")));
    m_subtitle->setText(
        uiText(QStringLiteral("about.subtitle"), QStringLiteral("WiFi 耳镜管理与报告系统")));
    m_qtTitle->setText(
        uiText(QStringLiteral("about.qt_notice.title"), QStringLiteral("⚙️  Qt 框架声明")));
    m_qtBody->setText(
        uiText(QStringLiteral("about.qt_notice.body"), QStringLiteral("本软件使用 Qt 开发。")));
    m_lgplTitle->setText(
        uiText(QStringLiteral("about.lgpl_rights.title"), QStringLiteral("📋  LGPLv3 用户权利")));
    m_lgplBody->setText(
        uiText(QStringLiteral("about.lgpl_rights.body"), QStringLiteral("请参阅 LGPLv3 许可。")));
    m_componentsTitle->setText(
        uiText(QStringLiteral("about.third_party.title"), QStringLiteral("📦  第三方组件")));
    m_componentsBody->setText(uiText(
        QStringLiteral("about.third_party.body"),
        QStringLiteral("本软件使用以下第三方库，均以动态链接方式使用：\n"
                       "• Qt 6（The Qt Company Ltd. 及其他贡献者），依据 GNU LGPL 第 3 版授权。\n"
                       "• libjpeg-turbo，依据其 BSD 风格许可证（IJG 许可证、修改版 BSD 许可证和 "
                       "zlib 许可证）授权。本软件部分基于 Independent JPEG Group 的工作。\n"
                       "• libarchive（Tim Kientzle 及其他贡献者），依据 BSD 2 条款许可证授权，"
                       "用于备份与恢复。\n"
                       "• Nettle（Niels Möller 及其他贡献者），依据 GNU LGPL 第 3 版授权，"
                       "用于校验备份。\n"
                       "许可证全文随软件一同提供。")));
    m_copyright->setText(uiText(QStringLiteral("about.copyright"),
                                QStringLiteral("© 2025 Lumaural 保留所有权利。")));
}
