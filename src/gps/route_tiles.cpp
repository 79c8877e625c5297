#include "gps/route_tiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace quovil {

namespace {

class FolderTiles : public TileSource {
 public:
  explicit FolderTiles(QString folder) : folder_(std::move(folder)) {}
  std::string Name() const override { return folder_.toStdString(); }

 protected:
  QImage Load(int z, int x, int y) override {
    const QString path = QStringLiteral("%1/%2/%3/%4.png").arg(folder_).arg(z).arg(x).arg(y);
    QImage image;
    // A file that is no picture is no tile; one larger than a tile is not
    // read at all.
    if (QFileInfo(path).size() > (4 << 20)) return {};
    image.load(path);
    return image;
  }

 private:
  QString folder_;
};

class MbTiles : public TileSource {
 public:
  MbTiles(QString file, QString connection) : file_(std::move(file)), connection_(std::move(connection)) {}
  ~MbTiles() override {
    { QSqlDatabase::database(connection_, false).close(); }
    QSqlDatabase::removeDatabase(connection_);
  }
  std::string Name() const override { return file_.toStdString(); }

 protected:
  QImage Load(int z, int x, int y) override {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (!db.isOpen()) return {};
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT tile_data FROM tiles WHERE zoom_level = ? AND tile_column = ? AND tile_row = ?"));
    q.addBindValue(z);
    q.addBindValue(x);
    q.addBindValue((1 << z) - 1 - y);
    if (!q.exec() || !q.next()) return {};
    const QByteArray bytes = q.value(0).toByteArray();
    if (bytes.size() > (4 << 20)) return {};
    return QImage::fromData(bytes);
  }

 private:
  QString file_, connection_;
};

}  // namespace

QImage TileSource::Tile(int z, int x, int y) {
  if (z < 0 || z > 24 || x < 0 || y < 0 || x >= (1 << z) || y >= (1 << z)) return {};
  const quint64 key = (quint64(z) << 48) | (quint64(x) << 24) | quint64(y);
  if (QImage* cached = cache_.object(key)) return *cached;
  QImage image = Load(z, x, y);
  cache_.insert(key, new QImage(image));
  return image;
}

std::unique_ptr<TileSource> OpenTileFolder(const std::string& folder) {
  const QString path = QString::fromStdString(folder);
  if (!QFileInfo(path).isDir()) return nullptr;
  return std::make_unique<FolderTiles>(QDir(path).absolutePath());
}

std::unique_ptr<TileSource> OpenMbTiles(const std::string& file) {
  const QString path = QString::fromStdString(file);
  if (!QFileInfo(path).isFile() || !QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) return nullptr;
  const QString connection = QStringLiteral("quovil-tiles-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
  bool ok = false;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(path);
    // Read only: the file is the user's and stays as it is.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (db.open()) {
      QSqlQuery q(db);
      ok = q.exec(QStringLiteral("SELECT 1 FROM tiles LIMIT 1"));
    }
  }
  if (!ok) {
    { QSqlDatabase::database(connection, false).close(); }
    QSqlDatabase::removeDatabase(connection);
    return nullptr;
  }
  return std::make_unique<MbTiles>(path, connection);
}

std::unique_ptr<TileSource> OpenTiles(const std::string& path) {
  if (QFileInfo(QString::fromStdString(path)).isDir()) return OpenTileFolder(path);
  return OpenMbTiles(path);
}

}  // namespace quovil
