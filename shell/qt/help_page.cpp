#include "shell/qt/help_page.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

std::string HelpPageFile() {
  return QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/hopwise/help/hopwise.html")
      .toStdString();
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
