// The document loader on arbitrary bytes: loading never fails, and saving
// what was loaded gives the same bytes with every line end made CR LF.

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "result_windows/DocumentText.h"

namespace {

QByteArray NormalisedLineEnds(const QByteArray& bytes) {
  QByteArray out;
  for (int i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      out += "\r\n";
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  if (!out.isEmpty() && !out.endsWith("\r\n")) out += "\r\n";
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
  const QString text = doctext::Decode(bytes);
  QByteArray saved;
  if (!doctext::Encode(text, saved)) __builtin_trap();  // every byte can be saved back
  if (saved != NormalisedLineEnds(bytes)) __builtin_trap();
  (void)doctext::Lines(text);
  (void)doctext::BackupName(text);
  // The same bytes as a task file: read as UTF-8 where they are, and saved.
  QString utf8;
  bool crlf = false;
  if (doctext::DecodeUtf8(bytes, utf8, &crlf)) (void)doctext::EncodeUtf8(utf8, crlf);
  return 0;
}
