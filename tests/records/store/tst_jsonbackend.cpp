#include "records/store/customerstore.h"
#include "records/store/jsonrecordsbackend.h"

#include "backendcontract.h"
#include "common/testsupport.h"

#include <QDir>
#include <QTemporaryDir>

// The store contract against the JSON files of this computer.
int main(int argc, char *argv[])
{
    TestSupport::requireIsolation();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString folder = dir.path();
    BackendFactory factory;
    factory.reset = [folder] {
        for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(folder + '/' + name);
        CustomerStore::instance().forget();
    };
    factory.open = [folder] { return std::make_shared<JsonRecordsBackend>(folder); };
    BackendContract contract(factory);
    return QTest::qExec(&contract, argc, argv);
}
