#pragma once

#include <QByteArray>
#include <QString>

// The one codec for the 8-bit texts of show files and list files.
// Writing: Windows-1252 when every character fits and the bytes cannot be mistaken for UTF-8,
// otherwise UTF-8; so every text reads back as it was written.
// Reading: UTF-8 when the bytes are valid UTF-8 holding at least one multi-byte sequence,
// otherwise Windows-1252 (which is what older shows were written in).
namespace TextCodec {
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);
QString decode(const char* bytes, qsizetype length);

// The longest start of text, cut between whole characters, that followed by tail encodes in at
// most maxBytes bytes, with tail appended (tail itself is never cut). For names and captions that
// a show file stores in a field of fixed size.
QString fitted(const QString& text, int maxBytes, const QString& tail = QString());
} // namespace TextCodec
