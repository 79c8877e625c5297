// Offline map tiles under the route: a folder of z/x/y.png files or an
// MBTiles file (SQLite, read through Qt's driver). Nothing is ever fetched
// from the network.
#pragma once

#include <QCache>
#include <QImage>
#include <QString>

#include <memory>
#include <string>

namespace quovil {

class TileSource {
 public:
  virtual ~TileSource() = default;
  // The tile of zoom z, column x and row y counted from the north (as the
  // folder layout counts them); a null image when there is none.
  QImage Tile(int z, int x, int y);
  virtual std::string Name() const = 0;

 protected:
  virtual QImage Load(int z, int x, int y) = 0;

 private:
  QCache<quint64, QImage> cache_{256};
};

// A folder of z/x/y.png; null when it is not a folder.
std::unique_ptr<TileSource> OpenTileFolder(const std::string& folder);
// An MBTiles file (rows counted from the south, as the format has them);
// null when it is not one that can be read.
std::unique_ptr<TileSource> OpenMbTiles(const std::string& file);
// Either, by what path names.
std::unique_ptr<TileSource> OpenTiles(const std::string& path);

}  // namespace quovil
