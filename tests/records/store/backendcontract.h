#pragma once

#include "records/store/recordsbackend.h"

#include <QObject>

#include <functional>
#include <memory>

// The rules every records backend keeps, written once: a backend's test
// program hands in how to reach its store and runs these cases.
struct BackendFactory
{
    // Empties the store, so that each case starts from nothing.
    std::function<void()> reset;
    // A new connection to the same store, as a second workstation opens one.
    std::function<std::shared_ptr<RecordsBackend>()> open;
};

class BackendContract : public QObject
{
    Q_OBJECT

public:
    explicit BackendContract(BackendFactory factory) : m_factory(std::move(factory)) {}

private slots:
    void init();
    void addAssignsIdsInOrder();
    void readsOrderAndPhotoBytes();
    void updatesWithRevisionCheck();
    void removesChosenOrders();
    void keepsFitters();
    void keepsReportConfig();
    void concurrentAddsGetDistinctIds();

private:
    BackendFactory m_factory;
    std::shared_ptr<RecordsBackend> m_backend;
};
