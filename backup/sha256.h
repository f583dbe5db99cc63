#pragma once

#include <QByteArray>

#include <nettle/sha2.h>

// SHA-256 through Nettle, which libarchive brings along already: it uses the
// processor's SHA instructions where there are some, several times as fast
// as QCryptographicHash, and a backup hashes every byte twice.
class Sha256
{
public:
    Sha256();
    void addData(const char *data, qint64 size);
    // Lower-case hex; the hash cannot be added to afterwards.
    QByteArray hexResult();

private:
    sha256_ctx m_ctx;
};
