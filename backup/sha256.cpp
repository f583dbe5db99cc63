#include "backup/sha256.h"

Sha256::Sha256()
{
    sha256_init(&m_ctx);
}

void Sha256::addData(const char *data, qint64 size)
{
    sha256_update(&m_ctx, size_t(size), reinterpret_cast<const uint8_t *>(data));
}

QByteArray Sha256::hexResult()
{
    QByteArray digest(SHA256_DIGEST_SIZE, Qt::Uninitialized);
    sha256_digest(&m_ctx, SHA256_DIGEST_SIZE, reinterpret_cast<uint8_t *>(digest.data()));
    return digest.toHex();
}
