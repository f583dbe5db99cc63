#include "ui/common/ordertableheader.h"

OrderTableHeader::OrderTableHeader(Qt::Orientation orientation, QWidget *parent)
    : CheckAllHeaderView(orientation, parent)
{
    setSectionsClickable(true);
}
