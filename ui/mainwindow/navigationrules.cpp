#include "ui/mainwindow/navigationrules.h"

NavigationTarget NavigationTarget::backFromSettings(int previousPageIndex)
{
    switch (previousPageIndex) {
    case PageIndex::Settings:
    case PageIndex::Inspection:
        return {PageIndex::Inspection, NavEntry::Inspection};
    case PageIndex::OrderList:
    case PageIndex::OrderDetail:
        return {previousPageIndex, NavEntry::Orders};
    default:
        return {previousPageIndex, NavEntry::None};
    }
}
