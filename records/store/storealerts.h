#pragma once

#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPair>
#include <QString>

// Store files the program has to leave alone: one too large for it to read,
// or one that exists but cannot be opened or read at the moment. The stores
// report them here and the main window tells the user, so that an empty list
// on a page is never mistaken for an empty file. Each problem of a file is
// told once, from the event loop after the store call that found it, and not
// again while it lasts: pages read the files often, and a prompt on every
// read would leave the user nothing but prompts.
class StoreAlerts : public QObject
{
    Q_OBJECT

public:
    enum class Problem { TooLarge, Unavailable };
    Q_ENUM(Problem)

    static StoreAlerts *instance();

    void report(const QString &path, Problem problem);
    // `path` was read or written: a problem found later is news again.
    void clear(const QString &path);
    // Whether the user has been (or is about to be) told that `path` is left alone.
    bool isLeftAlone(const QString &path) const;
    // What to tell the user about `path`, in the current language.
    static QString message(const QString &path, Problem problem);

signals:
    void fileLeftAlone(const QString &path, StoreAlerts::Problem problem);

private:
    explicit StoreAlerts(QObject *parent = nullptr);
    void deliver();

    // A save may run on a worker thread and look photos up in the store.
    mutable QMutex m_mutex;
    QList<QPair<QString, Problem>> m_pending;
    QHash<QString, Problem> m_told;
};
