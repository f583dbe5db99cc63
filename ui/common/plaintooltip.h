#pragma once

#include <QString>

// `text` as a tooltip that shows exactly these characters. Qt guesses the
// format of a tooltip and renders anything that looks like markup, so a name
// such as "<b>Li</b>" would come out bold; this one is escaped, with its
// spaces and line breaks kept.
QString plainToolTip(const QString &text);
