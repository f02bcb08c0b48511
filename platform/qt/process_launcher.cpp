#include "platform/qt/process_launcher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

bool ProcessLauncher::Launch(const std::string& program, const std::string& argument,
                             const std::string& directory) {
  if (program.empty()) return false;
  QString file = QString::fromStdString(program);
  QString dir = QString::fromStdString(directory);
  if (!file.contains('/') && !dir.isEmpty()) {
    QFileInfo inDir(QDir(dir), file);
    if (inDir.isFile() && inDir.isExecutable()) file = inDir.absoluteFilePath();
  }
  QStringList arguments;
  if (!argument.empty()) arguments << QString::fromStdString(argument);
  QString workDir = QFileInfo(dir).isDir() ? dir : QString();
  return QProcess::startDetached(file, arguments, workDir);
}
