#include "fuzzinput.h"

#include <algorithm>

FuzzInput::FuzzInput(const uint8_t *data, size_t size, qsizetype fillUnit, qsizetype maxFill)
    : m_fillUnit(fillUnit), m_fillLeft(maxFill)
{
    const QByteArray all =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    if (all.isEmpty())
        return;
    const qsizetype planSize = std::min<qsizetype>(uchar(all.at(0)), all.size() - 1);
    m_plan = all.mid(1, planSize);
    m_payload = all.mid(1 + planSize);
}

QByteArray FuzzInput::nextRead()
{
    if (atEnd())
        return {};
    if (m_plan.isEmpty()) {
        m_at = m_payload.size();
        return m_payload;
    }
    const uchar step = uchar(m_plan.at(m_step++ % m_plan.size()));
    if (step >= 0xF0 && m_fillLeft > 0) {
        const qsizetype run = std::min<qsizetype>((step - 0xEF) * m_fillUnit, m_fillLeft);
        m_fillLeft -= run;
        return QByteArray(run, m_at > 0 ? m_payload.at(m_at - 1) : ' ');
    }
    const qsizetype count =
        std::min<qsizetype>(step < 0xF0 ? step + 1 : 1, m_payload.size() - m_at);
    const QByteArray read = m_payload.mid(m_at, count);
    m_at += count;
    return read;
}
