#include "shell/qt/help_page.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

std::string HelpPageUrl(const std::string& section) {
  const QFileInfo page(QCoreApplication::applicationDirPath() + "/../share/hopwise/help/hopwise.html");
  if (!page.isFile()) return {};
  QUrl url = QUrl::fromLocalFile(page.canonicalFilePath());
  url.setFragment(QString::fromStdString(section));
  return url.toString().toStdString();
}
