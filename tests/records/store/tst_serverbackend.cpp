#include "backendcontract.h"
#include "common/testsupport.h"
#include "pgtestdatabase.h"
#include "records/server/serverrecordsbackend.h"

// The store contract against a clinic server.
int main(int argc, char *argv[])
{
    TestSupport::requireIsolation();
    QApplication app(argc, argv);
    PgTestDatabase db;
    if (!db.isValid())
        return 1;
    const ServerSettings settings = db.settings();
    BackendFactory factory;
    factory.reset = [&db, settings] {
        ServerRecordsBackend(settings).probe(); // creates the tables
        db.exec(QStringLiteral("TRUNCATE orders, order_photos, inspectors, "
                               "report_config RESTART IDENTITY"));
    };
    factory.open = [settings] { return std::make_shared<ServerRecordsBackend>(settings); };
    BackendContract contract(factory);
    return QTest::qExec(&contract, argc, argv);
}
