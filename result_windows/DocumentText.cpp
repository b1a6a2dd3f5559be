#include "DocumentText.h"

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

QString BackupName(const QString& name) {
  const qsizetype slash = name.lastIndexOf(u'/');
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot > slash) return name.left(dot) + QStringLiteral(".BAK");
  return name + QStringLiteral(".BAK");
}

}  // namespace doctext
