#include "shell/qt/help_page.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

// Installed, the program is PREFIX/libexec/hopwise/hopwise and the page PREFIX/share/hopwise/help/;
// in the build folder both hang off the build folder (bin/ and share/).
std::string HelpPageFile() {
  const QString here = QCoreApplication::applicationDirPath();
  const QString top = here.endsWith("/libexec/hopwise") ? "/../.." : "/..";
  return QDir::cleanPath(here + top + "/share/hopwise/help/hopwise.html").toStdString();
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
