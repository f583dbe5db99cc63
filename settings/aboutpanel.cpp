#include "settings/aboutpanel.h"

#include "i18n/langmanager.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char *const DefaultNotice =
    "本软件使用 Qt 框架开发。Qt 是 The Qt Company Ltd. 及其他贡献者的软件。\n\n"
    "本软件使用的 Qt 库依据 GNU 宽通用公共许可证第 3 版（GNU LGPL v3）授权。"
    "您有权获取、修改并重新链接这些 Qt 库。\n\n"
    "许可证全文：https://www.gnu.org/licenses/lgpl-3.0.html\n\n"
    "本软件还使用 libjpeg-turbo 处理 JPEG 图像，它依据 BSD 风格许可证（IJG、修改版 BSD 与 zlib "
    "许可证）授权。本软件部分基于 Independent JPEG Group 的工作。\n\n"
    "本软件还使用 libarchive 读写备份文件，它依据 BSD 2 条款许可证（BSD-2-Clause）授权。";

} // namespace

AboutPanel::AboutPanel(QWidget *host)
    : ModalPanel(host, QStringLiteral("aboutPanel"), &AboutPanel::panelSize)
{
    QVBoxLayout *layout = panelLayout();
    layout->setContentsMargins(36, 28, 36, 28);

    auto *title =
        new QLabel(uiText(QStringLiteral("settings.about"), QStringLiteral("关于")), panel());
    title->setObjectName(QStringLiteral("aboutTitle"));
    title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    title->setStyleSheet(QStringLiteral("QLabel { color:#585656; font-size:16px; "
                                        "font-weight:400; background:transparent; }"));
    layout->addWidget(title);
    layout->addSpacing(12);
    auto *line = new QFrame(panel());
    line->setFixedHeight(1);
    line->setStyleSheet(QStringLiteral("QFrame { background:#ededed; border:none; }"));
    layout->addWidget(line);
    layout->addSpacing(16);

    m_notice = new QTextBrowser(panel());
    m_notice->setObjectName(QStringLiteral("aboutNotice"));
    m_notice->setOpenExternalLinks(true);
    m_notice->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
    m_notice->setStyleSheet(QStringLiteral("QTextBrowser { background:transparent; color:#333333; "
                                           "border:none; font-size:14px; line-height:1.6; }"));
    m_notice->setHtml(noticeHtml(
        uiText(QStringLiteral("settings.about_qt_license"), QString::fromUtf8(DefaultNotice))));
    layout->addWidget(m_notice, 1);
    layout->addSpacing(20);

    auto *row = new QHBoxLayout;
    row->addStretch();
    auto *close =
        new QPushButton(uiText(QStringLiteral("dialog.close"), QStringLiteral("关闭")), panel());
    close->setObjectName(QStringLiteral("aboutCloseButton"));
    close->setFixedSize(120, 44);
    close->setCursor(Qt::PointingHandCursor);
    close->setStyleSheet(QStringLiteral(
        "QPushButton { background:#585656; border:none; border-radius:22px; color:white; "
        "font-size:14px; font-weight:400; }QPushButton:hover { background:#6a6868; }"));
    row->addWidget(close);
    layout->addLayout(row);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

QSize AboutPanel::panelSize(const QSize &window)
{
    return {std::max(520, std::min(window.width() - 64, 740)),
            std::max(320, std::min(window.height() - 64, 460))};
}

QString AboutPanel::noticeHtml(const QString &notice)
{
    static const QRegularExpression address(QStringLiteral(R"(https?://[^\s<>"]+)"));
    QString html;
    qsizetype done = 0;
    auto matches = address.globalMatch(notice);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        html += notice.mid(done, match.capturedStart() - done).toHtmlEscaped();
        const QString url = match.captured().toHtmlEscaped();
        html += QStringLiteral("<a href=\"%1\">%1</a>").arg(url);
        done = match.capturedEnd();
    }
    html += notice.mid(done).toHtmlEscaped();
    html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return QStringLiteral("<div style=\"white-space: pre-wrap;\">%1</div>").arg(html);
}
