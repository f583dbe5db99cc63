#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>

// Reads a fuzzer input as a plan of reads followed by the bytes to deliver:
// [n][n plan bytes][payload]. Plan bytes below 0xF0 deliver that many plus one
// payload bytes; 0xF0 and above deliver a run of (byte - 0xEF) * fillUnit
// copies of the last payload byte, so a small input can still reach the size
// bounds of a parser. The plan repeats until the payload is used up; with no
// plan the payload comes in one read.
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size, qsizetype fillUnit, qsizetype maxFill);

    bool atEnd() const { return m_at >= m_payload.size(); }
    QByteArray nextRead();

private:
    QByteArray m_plan;
    QByteArray m_payload;
    qsizetype m_fillUnit;
    qsizetype m_fillLeft;
    qsizetype m_at = 0;
    qsizetype m_step = 0;
};
