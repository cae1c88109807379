#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

namespace tarimo::api_client {

// Undoes an answer's content coding as the bytes arrive, so that a size
// limit counts what the body grows to rather than what the wire carried.
// Knows gzip and deflate (in its zlib form); identity passes bytes through.
class ContentDecoder
{
public:
    enum class Result { ok, tooLarge, corrupt };

    // `coding` is the Content-Encoding value; empty means identity.
    explicit ContentDecoder(QByteArrayView coding);
    ~ContentDecoder();
    ContentDecoder(const ContentDecoder &) = delete;
    ContentDecoder &operator=(const ContentDecoder &) = delete;

    // False for a coding this decoder cannot undo.
    bool isSupported() const { return m_supported; }
    // Passes bytes through as they are.
    bool isIdentity() const { return m_supported && !m_stream; }

    // Appends the decoded form of `bytes` to `body`, stopping with tooLarge
    // before `body` would grow past `limit` bytes.
    Result decode(QByteArrayView bytes, QByteArray &body, qint64 limit);

    // A compressed body that stopped in the middle of its stream.
    bool isIncomplete() const;

    // Why decoding failed, from zlib.
    QString errorText() const { return m_error; }

private:
    struct Stream;
    std::unique_ptr<Stream> m_stream;
    bool m_supported = true;
    QString m_error;
};

} // namespace tarimo::api_client
