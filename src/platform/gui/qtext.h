#pragma once
#include <QString>
#include <string>

// Text crosses between the toolkit-free code (UTF-8 std::string) and Qt here.
inline QString Q(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }
inline std::string S(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return std::string(bytes.constData(), size_t(bytes.size()));
}

// Message texts break lines with a lone carriage return; Qt wants a line feed.
inline QString MessageText(const std::string& text) {
  QString result = Q(text);
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return result;
}
