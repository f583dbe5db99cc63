#include "records/orderpaging.h"

#include <algorithm>

namespace OrderPaging {

int totalPages(int count, int pageSize)
{
    if (pageSize <= 0 || count <= 0)
        return 1;
    return std::max(1, int((qint64(count) + pageSize - 1) / pageSize));
}

int clampPage(int page, int count, int pageSize)
{
    return std::clamp(page, 1, totalPages(count, pageSize));
}

int firstIndex(int page, int pageSize)
{
    return std::max(0, page - 1) * std::max(0, pageSize);
}

int countOnPage(int page, int count, int pageSize)
{
    const int first = firstIndex(page, pageSize);
    return std::clamp(count - first, 0, std::max(0, pageSize));
}

std::optional<int> goTarget(const QString &fieldText, int pageCount)
{
    bool ok = false;
    const int wanted = fieldText.trimmed().toInt(&ok);
    if (!ok || wanted < 1)
        return std::nullopt;
    if (pageCount <= 1)
        return 1;
    return std::min(wanted, pageCount);
}

} // namespace OrderPaging
