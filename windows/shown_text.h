#pragma once

#include <QLocale>
#include <QString>
#include <string>

#include "checker/check_view.h"
#include "platform/clock.h"

// How the windows show stored values to a reader. What is stored, sent and opened stays as it is.

// A visit time in local time: the locale's short date with the year in four digits, then its short
// time ("11/14/2023 10:13 PM" in the United States, "14.11.2023 22:13" in Germany).
QString FormatVisitTime(Time32 time, const QLocale& locale = QLocale());

// A URL for reading: percent-encoded letters decoded ("Z%C3%BCrich" reads "Zürich"), a
// punycode host shown in its own letters. Text that is no URL at all is shown as it is.
QString ShownUrl(const std::string& url);

// An item's tooltip: its text, and under it the verdict of the last check with the reason for it
// ("Unreachable: No answer within 30 s."); the text alone while the item is unmarked.
QString WithVerdict(const QString& text, Verdict verdict, const QString& reason);
