#pragma once

#include "ui/common/checkallheaderview.h"

// The fitter table's header, with the check-all box in its first section.
class FitterTableHeader : public CheckAllHeaderView
{
    Q_OBJECT

public:
    explicit FitterTableHeader(Qt::Orientation orientation, QWidget *parent = nullptr);
};
