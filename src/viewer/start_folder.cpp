#include "viewer/start_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quovil {

std::string StartFolder(const std::string& remembered) {
  if (!remembered.empty() && QFileInfo(QString::fromStdString(remembered)).isDir()) return remembered;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents.toStdString();
  return QDir::homePath().toStdString();
}

}  // namespace quovil
