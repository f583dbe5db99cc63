#include "records/jsontext.h"

#include <QJsonArray>
#include <QJsonDocument>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace JsonText {

qint64 findSpecial(const char *data, qint64 size)
{
    qint64 i = 0;
#ifdef __SSE2__
    // Photos are hundreds of kilobytes of Base64, which holds none of these
    // bytes: look at 64 at a time and pin down the position only on a hit.
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i space = _mm_set1_epi8(0x20);
    const auto special = [&](qint64 at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + at));
        // Signed: bytes of 0x80 and above count as negative, below the space.
        return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, backslash)),
                            _mm_cmplt_epi8(v, space));
    };
    for (; i + 64 <= size; i += 64) {
        const __m128i any = _mm_or_si128(_mm_or_si128(special(i), special(i + 16)),
                                         _mm_or_si128(special(i + 32), special(i + 48)));
        if (_mm_movemask_epi8(any) != 0)
            break;
    }
    for (; i + 16 <= size; i += 16) {
        const int mask = _mm_movemask_epi8(special(i));
        if (mask != 0)
            return i + __builtin_ctz(unsigned(mask));
    }
#endif
    for (; i < size; ++i) {
        const auto c = uchar(data[i]);
        if (c == '"' || c == '\\' || c < 0x20 || c >= 0x80)
            return i;
    }
    return size;
}

QString decode(const QByteArray &text, bool *ok)
{
    QByteArray document;
    document.reserve(text.size() + 4);
    document.append("[\"").append(text).append("\"]");
    QJsonParseError error{};
    const QJsonDocument parsed = QJsonDocument::fromJson(document, &error);
    const bool good = error.error == QJsonParseError::NoError && parsed.isArray() &&
                      parsed.array().size() == 1 && parsed.array().at(0).isString();
    if (ok)
        *ok = good;
    return good ? parsed.array().at(0).toString() : QString();
}

QByteArray quoted(const QString &text)
{
    const QChar *chars = text.constData();
    bool plain = true;
    for (qsizetype i = 0; i < text.size() && plain; ++i) {
        const char16_t c = chars[i].unicode();
        plain = c >= 0x20 && c < 0x7f && c != '"' && c != '\\';
    }
    if (plain) {
        QByteArray out;
        out.reserve(text.size() + 2);
        return out.append('"').append(text.toLatin1()).append('"');
    }
    // Anything else goes through Qt's own writer, so every escape and every
    // odd character (lone surrogates included) comes out as Qt writes it.
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace JsonText
