#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

// Store files the program has to leave alone: one too large for it to read,
// or one that exists but cannot be opened or read at the moment. The stores
// report them here and the main window tells the user, so that an empty list
// on a page is never mistaken for an empty file. Reports made during one
// store call arrive once each, from the event loop, after that call returned.
class StoreAlerts : public QObject
{
    Q_OBJECT

public:
    enum class Problem { TooLarge, Unavailable };
    Q_ENUM(Problem)

    static StoreAlerts *instance();

    void report(const QString &path, Problem problem);
    // What to tell the user about `path`, in the current language.
    static QString message(const QString &path, Problem problem);

signals:
    void fileLeftAlone(const QString &path, StoreAlerts::Problem problem);

private:
    explicit StoreAlerts(QObject *parent = nullptr);
    void deliver();

    QList<QPair<QString, Problem>> m_pending;
};
