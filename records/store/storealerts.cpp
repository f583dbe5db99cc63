#include "records/store/storealerts.h"

#include "i18n/langmanager.h"

#include <QFileInfo>
#include <QTimer>

#include <utility>

StoreAlerts::StoreAlerts(QObject *parent) : QObject(parent) {}

StoreAlerts *StoreAlerts::instance()
{
    // Never destroyed, like the language manager: stores may be used during teardown.
    static StoreAlerts *alerts = new StoreAlerts;
    return alerts;
}

void StoreAlerts::report(const QString &path, Problem problem)
{
    const QMutexLocker locker(&m_mutex);
    const auto told = m_told.constFind(path);
    if (told != m_told.cend() && *told == problem)
        return;
    m_told.insert(path, problem);
    if (m_pending.isEmpty())
        QTimer::singleShot(0, this, &StoreAlerts::deliver);
    m_pending.append({path, problem});
}

void StoreAlerts::clear(const QString &path)
{
    const QMutexLocker locker(&m_mutex);
    m_told.remove(path);
}

bool StoreAlerts::isLeftAlone(const QString &path) const
{
    const QMutexLocker locker(&m_mutex);
    return m_told.contains(path);
}

void StoreAlerts::deliver()
{
    QList<QPair<QString, Problem>> alerts;
    {
        const QMutexLocker locker(&m_mutex);
        alerts = std::exchange(m_pending, {});
    }
    for (const auto &alert : alerts)
        emit fileLeftAlone(alert.first, alert.second);
}

QString StoreAlerts::message(const QString &path, Problem problem)
{
    const QString name = QFileInfo(path).fileName();
    if (problem == Problem::TooLarge)
        return uiText(QStringLiteral("store.too_large"),
                      QStringLiteral("%1 过大，无法读取；文件保持不变。"))
            .arg(name);
    return uiText(QStringLiteral("store.unavailable"),
                  QStringLiteral("%1 暂时无法读取；文件保持不变。"))
        .arg(name);
}
