#include "shell/qt/help_page.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

std::string HelpPageUrl(const std::string& section) {
  const QString candidates[] = {
      QCoreApplication::applicationDirPath() + "/../share/hopwise/help/hopwise.html",
      QStringLiteral(HOPWISE_SOURCE_HELP_PAGE),
  };
  for (const QString& path : candidates) {
    QFileInfo page(path);
    if (!page.isFile()) continue;
    QUrl url = QUrl::fromLocalFile(page.canonicalFilePath());
    url.setFragment(QString::fromStdString(section));
    return url.toString().toStdString();
  }
  return {};
}
