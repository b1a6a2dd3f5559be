#pragma once
// Document files are Windows-1251 text; inside the text area every line ends
// with '\n', the last one included, so a file's final line end survives a
// load and save unchanged.

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

// `name` with its extension (from the last '.' after the last '/') replaced by
// ".BAK", or with ".BAK" appended when it has none.
QString BackupName(const QString& name);

}  // namespace doctext
