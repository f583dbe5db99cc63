#pragma once

class QComboBox;

// Gives a combo box's open list the look of the rounded fields it drops from:
// white, framed in the field border colour, rounded corners, roomy items and
// a light accent tint on the item under the pointer or selected.
void styleComboPopup(QComboBox *box);

// Whether `box` has been given that list look (and still has its list).
bool hasComboPopupStyle(const QComboBox *box);
