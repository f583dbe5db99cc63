#include "records/storerefusal.h"

#include "i18n/langmanager.h"

namespace StoreRefusal {

QString message(const StoreResult &result, Record record, const QString &failedText)
{
    switch (result.status) {
    case StoreResult::Status::Conflict:
        if (record == Record::Inspector)
            return uiText(QStringLiteral("records.inspector_changed_elsewhere"),
                          QStringLiteral("检查人已在别处被修改，现显示当前列表。"));
        return uiText(QStringLiteral("records.order_changed_elsewhere"),
                      QStringLiteral("订单已在别处被修改，现显示其当前内容。"));
    case StoreResult::Status::Unreachable:
        return uiText(QStringLiteral("records.unreachable"),
                      QStringLiteral("暂时无法访问记录，未保存任何内容，请稍后重试。"));
    case StoreResult::Status::Ok:
    case StoreResult::Status::NotFound:
    case StoreResult::Status::Failed:
        break;
    }
    return failedText;
}

} // namespace StoreRefusal
