#pragma once

// Page indices of the main window's stack; transitions depend on them.
namespace PageIndex {
constexpr int Inspection = 0;
constexpr int FitterList = 1;
constexpr int SaveReport = 2;
constexpr int OrderList = 3;
constexpr int OrderDetail = 4;
constexpr int About = 5;
constexpr int Settings = 6;
constexpr int Count = 7;
} // namespace PageIndex

// Navigation entries as numbered by MainWindow::updateNavigation.
namespace NavEntry {
constexpr int None = -1;
constexpr int Orders = 0;
constexpr int Inspection = 1;
constexpr int Settings = 2;
} // namespace NavEntry

// Where the settings page's back button leads.
struct NavigationTarget
{
    int page;
    int entry;

    // From the page recorded when settings was opened: that page again with its
    // own entry highlighted; the inspection page if settings itself was recorded.
    static NavigationTarget backFromSettings(int previousPageIndex);
};
