#include "records/listpaging.h"

#include <algorithm>

namespace ListPaging {

int totalPages(int count, int pageSize)
{
    if (pageSize < 1 || count < 1)
        return 1;
    return std::max(1, (count - 1) / pageSize + 1);
}

int clampPage(int page, int count, int pageSize)
{
    return std::clamp(page, 1, totalPages(count, pageSize));
}

int firstIndex(int page, int pageSize)
{
    return (std::max(page, 1) - 1) * std::max(pageSize, 1);
}

int rowsOnPage(int page, int count, int pageSize)
{
    const int start = firstIndex(page, pageSize);
    return std::max(0, std::min(count, start + std::max(pageSize, 1)) - start);
}

int jumpTarget(const QString &text, int count, int pageSize)
{
    bool ok = false;
    const int wanted = text.trimmed().toInt(&ok);
    if (!ok || wanted < 1)
        return 0;
    const int pages = totalPages(count, pageSize);
    return pages < 2 ? 1 : std::min(wanted, pages);
}

} // namespace ListPaging
