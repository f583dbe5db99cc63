#pragma once

#include <QString>

// Page arithmetic of the paged tables: 1-based pages of `pageSize` rows over
// `count` rows, always at least one page.
namespace ListPaging {

int totalPages(int count, int pageSize);
// `page` limited to 1..totalPages.
int clampPage(int page, int count, int pageSize);
// Position of the first row of `page` in the whole list.
int firstIndex(int page, int pageSize);
// Rows shown on `page` (0 for an empty list).
int rowsOnPage(int page, int count, int pageSize);
// The page a typed page number leads to, or 0 when the text is not a whole
// number of at least 1 (then nothing happens).
int jumpTarget(const QString &text, int count, int pageSize);

} // namespace ListPaging
