#pragma once
// Document files are Windows-1251 text, but for task files (".toml"), which
// are UTF-8; inside the text area every line ends with '\n', the last one
// included, so a file's final line end survives a load and save unchanged.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace doctext {

// The text of a file's bytes: CR LF, LF and a lone CR each end a line; a last
// line without an end gets one.
QString Decode(const QByteArray& bytes);

// The lines of the text area, without the empty one after the last line end.
// The text area's own paragraph and line separators count as line ends.
QStringList Lines(const QString& text);

// The file bytes of the text area's lines, each ended by CR LF. Returns false
// when a character has no Windows-1251 byte; `badPos` then receives its index in
// `text` and `badChar` the character, and `out` is incomplete.
bool Encode(const QString& text, QByteArray& out, int* badPos = nullptr, char32_t* badChar = nullptr);

// Whether `name` is a task file: it ends in ".toml", in any letter case.
bool IsTaskFile(const QString& name);

// The text of a task file's bytes, line ends as for Decode; a leading byte
// order mark stays in the text, so that it is saved back. Returns false, and
// leaves `text` empty, when the bytes are not UTF-8. `crlf` receives whether
// the first line ends with CR LF.
bool DecodeUtf8(const QByteArray& bytes, QString& text, bool* crlf = nullptr);

// The UTF-8 bytes of the text area's lines, each ended by CR LF or LF. A
// lone surrogate, which no file can hold, becomes U+FFFD.
QByteArray EncodeUtf8(const QString& text, bool crlf);

// `name` with its extension (from the last '.' after the last '/') replaced by
// ".BAK", or with ".BAK" appended when it has none.
QString BackupName(const QString& name);

}  // namespace doctext
