#include "ui/common/fittertableheader.h"

FitterTableHeader::FitterTableHeader(Qt::Orientation orientation, QWidget *parent)
    : CheckAllHeaderView(orientation, parent)
{
}
