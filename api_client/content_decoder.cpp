#include "api_client/content_decoder.h"

#include <zlib.h>

#include <array>

namespace tarimo::api_client {

struct ContentDecoder::Stream
{
    z_stream z{};
    bool started = false; // some compressed bytes arrived
    bool ended = false;   // the last stream (gzip member) ended
};

ContentDecoder::ContentDecoder(QByteArrayView coding)
{
    const QByteArray name = coding.trimmed().toByteArray().toLower();
    if (name.isEmpty() || name == "identity")
        return;
    if (name != "gzip" && name != "x-gzip" && name != "deflate") {
        m_supported = false;
        return;
    }
    m_stream = std::make_unique<Stream>();
    // 32 added to the window bits: a gzip or a zlib header, whichever comes.
    if (inflateInit2(&m_stream->z, MAX_WBITS + 32) != Z_OK)
        throw std::bad_alloc();
}

ContentDecoder::~ContentDecoder()
{
    if (m_stream)
        inflateEnd(&m_stream->z);
}

ContentDecoder::Result ContentDecoder::decode(QByteArrayView bytes, QByteArray &body, qint64 limit)
{
    if (!m_stream) {
        if (body.size() + bytes.size() > limit)
            return Result::tooLarge;
        body.append(bytes);
        return Result::ok;
    }
    if (bytes.isEmpty())
        return Result::ok;
    z_stream &z = m_stream->z;
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
    z.avail_in = uInt(bytes.size());
    m_stream->started = true;
    std::array<char, 64 * 1024> chunk;
    for (;;) {
        if (m_stream->ended) {
            if (z.avail_in == 0)
                return Result::ok;
            // gzip allows several members one after the other.
            inflateReset(&z);
            m_stream->ended = false;
        }
        z.next_out = reinterpret_cast<Bytef *>(chunk.data());
        z.avail_out = uInt(chunk.size());
        const int status = inflate(&z, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
            m_error = z.msg ? QString::fromLatin1(z.msg) : QStringLiteral("zlib error %1").arg(status);
            return Result::corrupt;
        }
        const qsizetype produced = qsizetype(chunk.size() - z.avail_out);
        if (body.size() + produced > limit)
            return Result::tooLarge;
        body.append(chunk.data(), produced);
        if (status == Z_STREAM_END)
            m_stream->ended = true;
        else if (z.avail_out != 0)
            return Result::ok; // all input taken
    }
}

bool ContentDecoder::isIncomplete() const
{
    return m_stream && m_stream->started && !m_stream->ended;
}

} // namespace tarimo::api_client
