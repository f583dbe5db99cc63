#pragma once

#include <QString>

#include <optional>

// Page arithmetic of the order list; pages are numbered from 1.
namespace OrderPaging {

// At least 1, also for an empty list.
int totalPages(int count, int pageSize);
// `page` moved into 1..totalPages.
int clampPage(int page, int count, int pageSize);
// Index of the first order on `page`.
int firstIndex(int page, int pageSize);
// Orders shown on `page` (0 past the end).
int countOnPage(int page, int count, int pageSize);
// The page the GO button leads to from the page number field's text, or
// nothing when the text is not a whole number of at least 1.
std::optional<int> goTarget(const QString &fieldText, int pageCount);

} // namespace OrderPaging
