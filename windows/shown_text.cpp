#include "windows/shown_text.h"

#include <QDateTime>
#include <QUrl>

namespace {

// The locale's short date, with a two-digit year widened to four.
QString FourDigitYearDate(const QLocale& locale) {
  QString format = locale.dateFormat(QLocale::ShortFormat);
  if (!format.contains(QStringLiteral("yyyy"))) format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
  return format;
}

}  // namespace

QString FormatVisitTime(Time32 time, const QLocale& locale) {
  const QDateTime when = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(time));
  return locale.toString(when.date(), FourDigitYearDate(locale)) + u' ' +
         locale.toString(when.time(), QLocale::ShortFormat);
}

QString ShownUrl(const std::string& url) {
  const QString text = QString::fromStdString(url);
  const QUrl parsed(text, QUrl::TolerantMode);
  if (!parsed.isValid() || parsed.scheme().isEmpty()) return text;
  return parsed.toDisplayString();
}

QString WithVerdict(const QString& text, Verdict verdict, const QString& reason) {
  const char* name = nullptr;
  switch (verdict) {
    case Verdict::kUpdated:
      name = "Updated";
      break;
    case Verdict::kUnreachable:
      name = "Unreachable";
      break;
    case Verdict::kBadStatus:
      name = "Error";
      break;
    case Verdict::kUnchanged:
      return text;
  }
  QString verdictLine = QString::fromLatin1(name);
  if (!reason.isEmpty()) verdictLine += QStringLiteral(": ") + reason;
  return text.isEmpty() ? verdictLine : text + u'\n' + verdictLine;
}
