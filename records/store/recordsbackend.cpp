#include "records/store/recordsbackend.h"

#include "records/store/jsonrecordsbackend.h"

namespace {

std::shared_ptr<RecordsBackend> &installed()
{
    static std::shared_ptr<RecordsBackend> backend;
    return backend;
}

} // namespace

RecordsBackend &RecordsBackend::current()
{
    std::shared_ptr<RecordsBackend> &backend = installed();
    if (!backend)
        backend = std::make_shared<JsonRecordsBackend>();
    return *backend;
}

void RecordsBackend::setCurrent(std::shared_ptr<RecordsBackend> backend)
{
    installed() = std::move(backend);
}
