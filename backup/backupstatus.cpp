#include "backup/backupstatus.h"

#include "i18n/langmanager.h"

QString BackupStatus::message() const
{
    switch (m_code) {
    case Ok:
        return uiText(QStringLiteral("backup.status.ok"), QStringLiteral("完成。"));
    case Cancelled:
        return uiText(QStringLiteral("backup.status.cancelled"),
                      QStringLiteral("已取消，未做任何更改。"));
    case SourceUnreadable:
        return uiText(QStringLiteral("backup.status.source_unreadable"),
                      QStringLiteral("无法读取数据文件 %1。"))
            .arg(m_detail);
    case SourceChanged:
        return uiText(QStringLiteral("backup.status.source_changed"),
                      QStringLiteral("数据文件 %1 在备份过程中被更改，请稍后重试。"))
            .arg(m_detail);
    case WriteFailed:
        return uiText(QStringLiteral("backup.status.write_failed"),
                      QStringLiteral("无法完整写入 %1（磁盘已满或没有权限），未做任何更改。"))
            .arg(m_detail);
    case NotAnArchive:
        return uiText(QStringLiteral("backup.status.not_an_archive"),
                      QStringLiteral("该文件不是本程序的备份，未做任何更改。"));
    case Damaged:
        return uiText(QStringLiteral("backup.status.damaged"),
                      QStringLiteral("备份已损坏（%1），未做任何更改。"))
            .arg(m_detail);
    case Unsafe:
        return uiText(QStringLiteral("backup.status.unsafe"),
                      QStringLiteral("备份包含不允许的条目 %1，未做任何更改。"))
            .arg(m_detail);
    }
    return QString();
}
