#include "shell/qt/help_page.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

std::string HelpPageFileFor(const std::string& programFolder) {
  const QString here = QString::fromStdString(programFolder);
  const QString top = here.endsWith("/libexec/hopwise") ? "/../.." : "/..";
  return QDir::cleanPath(here + top + "/share/hopwise/help/hopwise.html").toStdString();
}

std::string HelpPageFile() {
  return HelpPageFileFor(QCoreApplication::applicationDirPath().toStdString());
}

std::string HelpPageUrl(const std::string& file, const std::string& section) {
  const QFileInfo page(QString::fromStdString(file));
  if (!page.isFile()) return {};
  QUrl url = QUrl::fromLocalFile(page.canonicalFilePath());
  url.setFragment(QString::fromStdString(section));
  return url.toString().toStdString();
}

std::string MissingHelpPageMessage(const std::string& file) {
  return "Hopwise cannot show its help: the help page " + file + " is missing.";
}
