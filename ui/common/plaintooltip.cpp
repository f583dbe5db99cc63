#include "ui/common/plaintooltip.h"

QString plainToolTip(const QString &text)
{
    if (text.isEmpty())
        return {}; // no tooltip at all rather than an empty box
    return QStringLiteral("<p style='white-space:pre-wrap'>%1</p>").arg(text.toHtmlEscaped());
}
