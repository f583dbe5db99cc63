#pragma once

#include "ui/common/checkallheaderview.h"

// The order table's header, with the check-all box in its first section.
class OrderTableHeader : public CheckAllHeaderView
{
    Q_OBJECT

public:
    explicit OrderTableHeader(Qt::Orientation orientation, QWidget *parent = nullptr);
};
