#include "DocumentText.h"

#include <QStringDecoder>

#include "base/Cp1251.h"

namespace doctext {
namespace {

bool IsLineEnd(QChar c) { return c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator; }

}  // namespace

QString Decode(const QByteArray& bytes) {
  QString text;
  text.reserve(bytes.size() + 1);
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b == '\r') {
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      text += u'\n';
    } else if (b == '\n') {
      text += u'\n';
    } else {
      // Every Windows-1251 byte has a code point in the basic plane.
      text += QChar(static_cast<char16_t>(cp1251::ToCodePoint(b)));
    }
  }
  if (!text.isEmpty() && text.back() != u'\n') text += u'\n';
  return text;
}

QStringList Lines(const QString& text) {
  QStringList lines;
  QString line;
  for (const QChar c : text) {
    if (IsLineEnd(c)) {
      lines << line;
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.isEmpty()) lines << line;
  return lines;
}

bool Encode(const QString& text, QByteArray& out, int* badPos, char32_t* badChar) {
  out.clear();
  out.reserve(text.size() + 2);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (IsLineEnd(c)) {
      out += "\r\n";
      continue;
    }
    char32_t code = c.unicode();
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
      code = QChar::surrogateToUcs4(c, text[i + 1]);
    const int b = c.isSurrogate() ? -1 : cp1251::FromCodePoint(code);
    if (b < 0) {
      if (badPos) *badPos = static_cast<int>(i);
      if (badChar) *badChar = code;
      return false;
    }
    out += static_cast<char>(b);
  }
  if (!text.isEmpty() && !IsLineEnd(text.back())) out += "\r\n";
  return true;
}

bool IsTaskFile(const QString& name) { return name.endsWith(QStringLiteral(".toml"), Qt::CaseInsensitive); }

bool DecodeUtf8(const QByteArray& bytes, QString& text, bool* crlf) {
  QStringDecoder decoder(QStringConverter::Utf8,
                         QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
  const QString decoded = decoder(bytes);
  text.clear();
  if (decoder.hasError()) return false;
  const qsizetype end = bytes.indexOf('\n');
  const qsizetype cr = bytes.indexOf('\r');
  if (crlf) *crlf = cr >= 0 && cr + 1 == end;
  text.reserve(decoded.size() + 1);
  for (qsizetype i = 0; i < decoded.size(); ++i) {
    if (decoded[i] == u'\r') {
      if (i + 1 < decoded.size() && decoded[i + 1] == u'\n') ++i;
      text += u'\n';
    } else {
      text += decoded[i];
    }
  }
  if (!text.isEmpty() && text.back() != u'\n') text += u'\n';
  return true;
}

QByteArray EncodeUtf8(const QString& text, bool crlf) {
  QString lines;
  lines.reserve(text.size() + 2);
  for (const QChar c : text) {
    if (IsLineEnd(c)) {
      lines += crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    } else {
      lines += c;
    }
  }
  if (!text.isEmpty() && !IsLineEnd(text.back()))
    lines += crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
  QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  return encoder(lines);
}

QString BackupName(const QString& name) {
  const qsizetype slash = name.lastIndexOf(u'/');
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot > slash) return name.left(dot) + QStringLiteral(".BAK");
  return name + QStringLiteral(".BAK");
}

}  // namespace doctext
