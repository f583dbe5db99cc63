#include "records/store/jsontext.h"

#include <QJsonArray>
#include <QJsonDocument>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace JsonText {

namespace {

bool isSpecial(uchar c)
{
    return c == '"' || c == '\\' || c < 0x20 || c >= 0x80;
}

#if defined(__GNUC__) && defined(__x86_64__)
#define LUMAURAL_FIND_AVX2
// Photos are hundreds of kilobytes of Base64, which holds none of these bytes:
// look at 64 at a time and pin down the position only on a hit.
__attribute__((target("avx2"))) qint64 findSpecialAvx2(const char *data, qint64 size)
{
    const __m256i quote = _mm256_set1_epi8('"');
    const __m256i backslash = _mm256_set1_epi8('\\');
    const __m256i space = _mm256_set1_epi8(0x20);
    qint64 i = 0;
    for (; i + 64 <= size; i += 64) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(data + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(data + i + 32));
        // Signed: bytes of 0x80 and above count as negative, below the space.
        const __m256i low = _mm256_or_si256(
            _mm256_or_si256(_mm256_cmpeq_epi8(a, quote), _mm256_cmpeq_epi8(a, backslash)),
            _mm256_cmpgt_epi8(space, a));
        const __m256i high = _mm256_or_si256(
            _mm256_or_si256(_mm256_cmpeq_epi8(b, quote), _mm256_cmpeq_epi8(b, backslash)),
            _mm256_cmpgt_epi8(space, b));
        if (!_mm256_testz_si256(_mm256_or_si256(low, high), _mm256_or_si256(low, high))) {
            const auto lowMask = quint64(unsigned(_mm256_movemask_epi8(low)));
            const auto highMask = quint64(unsigned(_mm256_movemask_epi8(high)));
            return i + __builtin_ctzll(lowMask | (highMask << 32));
        }
    }
    for (; i < size; ++i) {
        if (isSpecial(uchar(data[i])))
            return i;
    }
    return size;
}
#endif

} // namespace

qint64 findSpecialSse2(const char *data, qint64 size)
{
    qint64 i = 0;
#ifdef __SSE2__
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i space = _mm_set1_epi8(0x20);
    const auto special = [&](qint64 at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + at));
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
        if (isSpecial(uchar(data[i])))
            return i;
    }
    return size;
}

qint64 findSpecial(const char *data, qint64 size)
{
#ifdef LUMAURAL_FIND_AVX2
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        return findSpecialAvx2(data, size);
#endif
    return findSpecialSse2(data, size);
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
