#include "images/DemoArt.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "map/MapUnits.h"
#include "tools/BigTilePainter.h"
#include "tools/SmallTilePainter.h"

namespace hl {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A fixed hash of a position: the grain of every texture, the same on every machine.
std::uint32_t Hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
  std::uint32_t h = x * 0x9E3779B1u ^ y * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

int Noise(int x, int y, std::uint32_t seed, int amplitude) {
  return static_cast<int>(Hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), seed) %
                          static_cast<std::uint32_t>(2 * amplitude + 1)) -
         amplitude;
}

QRgb Shade(QRgb c, int d) {
  auto ch = [d](int v) { return std::clamp(v + d, 8, 255); };
  return qRgb(ch(qRed(c)), ch(qGreen(c)), ch(qBlue(c)));
}

// ---- ground textures --------------------------------------------------------------------

struct Ground {
  QRgb Base;
  QRgb Rim;
  int Grain;
  std::uint32_t Seed;
};

constexpr Ground kEarth{qRgb(104, 84, 62), qRgb(80, 64, 46), 10, 7};
constexpr Ground kGroundGroups[DemoArt::kTileGroups] = {
    {qRgb(72, 132, 52), qRgb(44, 92, 34), 14, 11},      // grass
    {qRgb(204, 180, 122), qRgb(160, 132, 84), 10, 23},  // sand
    {qRgb(52, 104, 168), qRgb(196, 220, 236), 8, 37},   // water, with foam at its edge
    {qRgb(138, 138, 132), qRgb(84, 84, 80), 12, 41},    // stone
};

QRgb GroundPixel(const Ground& g, int group, int x, int y, int variant) {
  QRgb c = Shade(g.Base, Noise(x, y, g.Seed, g.Grain));
  switch (group) {
    case 0:  // tufts of darker and lighter blades
      if (Hash(x / 3, y / 2, g.Seed + variant) % 23 == 0) c = Shade(g.Base, -30);
      if (Hash(x / 2, y / 3, g.Seed + 100 + variant) % 41 == 0) c = Shade(g.Base, 40);
      break;
    case 1:  // pebbles
      if (Hash(x / 2, y / 2, g.Seed + variant) % 61 == 0) c = Shade(g.Base, -45);
      break;
    case 2:  // ripples, seamless over the tile's width
      if (std::abs(static_cast<int>(4 * std::sin((x + 8 * variant) * 2 * kPi / 48.0)) + (y % 16) -
                   8) < 1) {
        c = Shade(g.Base, 50);
      }
      break;
    case 3: {  // cobbles: a joint grid with rows offset by half a stone
      const int row = y / 16, shift = row % 2 ? 12 : 0;
      if (y % 16 == 0 || (x + shift) % 24 == 0) c = Shade(g.Base, -40);
      break;
    }
    default:
      break;
  }
  return c;
}

QRgb EarthPixel(int x, int y) {
  return Shade(kEarth.Base, Noise(x, y, kEarth.Seed, kEarth.Grain));
}

// Where the ground of a transition covers the tile. Boundaries meet the tile's edges at their
// midpoints, so that neighbouring pieces join; the value is negative inside, and its size
// says how close the boundary is (for the rim).
using Coverage = double (*)(double u, double v, double w, double h, int phase);

double Ellipse(double u, double v, double cx, double cy, double w, double h) {
  const double a = (u - cx) / (w / 2), b = (v - cy) / (h / 2);
  return (a * a + b * b - 1.0) * std::min(w, h) / 4;
}
double Wobble(double t, double length, int phase) {
  return (phase % 2 ? -2.5 : 2.5) * std::sin(t * 2 * kPi / length);
}

double Full(double, double, double, double, int) {
  return -100;
}
double CornerBR(double u, double v, double w, double h, int) {
  return Ellipse(u, v, w, h, w, h);
}
double CornerBL(double u, double v, double w, double h, int) {
  return Ellipse(u, v, 0, h, w, h);
}
double CornerTR(double u, double v, double w, double h, int) {
  return Ellipse(u, v, w, 0, w, h);
}
double CornerTL(double u, double v, double w, double h, int) {
  return Ellipse(u, v, 0, 0, w, h);
}
double NotTL(double u, double v, double w, double h, int) {
  return -Ellipse(u, v, 0, 0, w, h);
}
double NotTR(double u, double v, double w, double h, int) {
  return -Ellipse(u, v, w, 0, w, h);
}
double NotBL(double u, double v, double w, double h, int) {
  return -Ellipse(u, v, 0, h, w, h);
}
double NotBR(double u, double v, double w, double h, int) {
  return -Ellipse(u, v, w, h, w, h);
}
double Bottom(double u, double v, double w, double h, int p) {
  return h / 2 + Wobble(u, w, p) - v;
}
double Top(double u, double v, double w, double h, int p) {
  return v - (h / 2 + Wobble(u, w, p));
}
double Right(double u, double v, double w, double h, int p) {
  return w / 2 + Wobble(v, h, p) - u;
}
double Left(double u, double v, double w, double h, int p) {
  return u - (w / 2 + Wobble(v, h, p));
}

// The coverage of each big-tile shape that painting places.
Coverage BigTileCoverage(BigTileShape shape) {
  switch (shape) {
    case BigTileShape::OnlyBottomRight:
      return CornerBR;
    case BigTileShape::OnlyBottomLeft:
      return CornerBL;
    case BigTileShape::OnlyTopRight:
      return CornerTR;
    case BigTileShape::OnlyTopLeft:
      return CornerTL;
    case BigTileShape::AllButTopLeft:
      return NotTL;
    case BigTileShape::AllButTopRight:
      return NotTR;
    case BigTileShape::AllButBottomLeft:
      return NotBL;
    case BigTileShape::AllButBottomRight:
      return NotBR;
    case BigTileShape::BottomHalf:
      return Bottom;
    case BigTileShape::TopHalf:
      return Top;
    case BigTileShape::RightHalf:
      return Right;
    case BigTileShape::LeftHalf:
      return Left;
    case BigTileShape::Full:
      break;
  }
  return Full;
}

QImage BigTile(int group, int variant) {
  constexpr int w = kBigTileWidth, h = kBigTileHeight;
  QImage tile(w, h, QImage::Format_RGB32);
  const Coverage cover = BigTileCoverage(BigTilePainter::ShapeOf(variant));
  const Ground& g = kGroundGroups[group];
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<QRgb*>(tile.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const double f = cover(x + 0.5, y + 0.5, w, h, variant);
      if (f < -1.6) {
        row[x] = GroundPixel(g, group, x, y, variant % BigTilePainter::kFullVariants);
      } else if (f < 0) {
        row[x] = Shade(g.Rim, Noise(x, y, g.Seed + 5, 8));
      } else if (group == 0) {
        row[x] = EarthPixel(x, y);
      } else {
        // Sand, water and stone lie in grass, the usual ground of a map; grass itself gives
        // way to bare earth.
        row[x] = GroundPixel(kGroundGroups[0], 0, x, y, 0);
      }
    }
  }
  return tile;
}

// ---- small tiles ------------------------------------------------------------------------

constexpr Ground kSmallGroups[DemoArt::kSmallTileGroups] = {
    {qRgb(150, 112, 70), qRgb(112, 80, 48), 12, 53},     // dirt path
    {qRgb(120, 150, 60), qRgb(88, 112, 40), 12, 59},     // moss with flowers
    {qRgb(160, 156, 150), qRgb(110, 108, 104), 18, 61},  // gravel
};

Coverage SmallPieceCoverage(SmallPieceShape shape) {
  switch (shape) {
    case SmallPieceShape::Bottom:
      return Bottom;  // north of a full cell
    case SmallPieceShape::BottomLeft:
      return CornerBL;  // north-east
    case SmallPieceShape::Left:
      return Left;  // east
    case SmallPieceShape::TopLeft:
      return CornerTL;  // south-east
    case SmallPieceShape::Top:
      return Top;  // south
    case SmallPieceShape::TopRight:
      return CornerTR;  // south-west
    case SmallPieceShape::Right:
      return Right;  // west
    case SmallPieceShape::BottomRight:
      return CornerBR;  // north-west
    case SmallPieceShape::AllButBottomLeft:
      return NotBL;
    case SmallPieceShape::AllButTopLeft:
      return NotTL;
    case SmallPieceShape::AllButTopRight:
      return NotTR;
    case SmallPieceShape::AllButBottomRight:
      return NotBR;
    case SmallPieceShape::Full:
      break;
  }
  return Full;
}

QImage SmallTile(int group, SmallPieceShape shape, int variant) {
  constexpr int w = kCellWidth, h = kCellHeight;
  QImage tile(w, h, QImage::Format_RGB32);
  const Coverage cover = SmallPieceCoverage(shape);
  const Ground& g = kSmallGroups[group];
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<QRgb*>(tile.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const double f = cover(x + 0.5, y + 0.5, w, h, variant);
      QRgb c = qRgb(0, 0, 0);  // transparent: the big tile shows through
      if (f < -1.2) {
        c = Shade(g.Base, Noise(x, y, g.Seed + static_cast<std::uint32_t>(variant), g.Grain));
        if (group == 1 && Hash(x / 2, y / 2, g.Seed + variant) % 37 == 0) {
          c = Hash(x, y, 3) % 2 ? qRgb(236, 220, 60) : qRgb(224, 96, 160);  // flowers
        }
        if (group == 2 && Hash(x / 2, y / 2, g.Seed + variant) % 9 == 0) c = Shade(g.Base, -50);
      } else if (f < 0) {
        c = Shade(g.Rim, Noise(x, y, g.Seed + 9, 6));
      }
      row[x] = c;
    }
  }
  return tile;
}

QImage Blank(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(qRgb(0, 0, 0));
  return image;
}

// The three marks, each on black so that only the sign shows over the map.
QImage MarkImage(int which) {
  QImage image = Blank(kCellWidth, kCellHeight);
  QPainter p(&image);
  switch (which) {
    case kLightMarkImage: {  // light: a yellow sun with rays
      p.setPen(QPen(QColor(255, 220, 40), 2));
      for (int i = 0; i < 8; ++i) {
        const double a = i * kPi / 4;
        p.drawLine(QPointF(24 + 9 * std::cos(a), 16 + 9 * std::sin(a)),
                   QPointF(24 + 14 * std::cos(a), 16 + 14 * std::sin(a)));
      }
      p.setPen(QColor(255, 250, 180));
      p.setBrush(QColor(255, 236, 90));
      p.drawEllipse(QPoint(24, 16), 6, 6);
      break;
    }
    case kBackMarkImage:  // back mark: a red crossed box
      p.setPen(QPen(QColor(230, 40, 40), 2));
      p.setBrush(Qt::NoBrush);
      p.drawRect(3, 3, 41, 25);
      p.drawLine(4, 4, 43, 27);
      p.drawLine(43, 4, 4, 27);
      break;
    default:  // front mark: a cyan diamond
      p.setPen(QPen(QColor(240, 255, 255), 1));
      p.setBrush(QColor(40, 200, 230));
      p.drawPolygon(QPolygon({QPoint(24, 3), QPoint(40, 16), QPoint(24, 29), QPoint(8, 16)}));
      break;
  }
  return image;
}

// ---- objects ----------------------------------------------------------------------------

QColor Vary(QColor c, int seed, int amount) {
  const int d =
      static_cast<int>(Hash(static_cast<std::uint32_t>(seed), 1, 99) % (2 * amount + 1)) - amount;
  return QColor(std::clamp(c.red() + d, 8, 255), std::clamp(c.green() + d, 8, 255),
                std::clamp(c.blue() + d / 2, 8, 255));
}

QImage Conifer(int h, int seed) {
  const int w = h > 120 ? 96 : 48;
  QImage img = Blank(w, h);
  QPainter p(&img);
  const int trunk = std::max(8, h / 8);
  p.fillRect(w / 2 - 3, h - trunk, 6, trunk, QColor(96, 64, 36));
  const QColor leaf = Vary(QColor(36, 104, 48), seed, 18);
  const int layers = 3 + h / 60;
  for (int i = 0; i < layers; ++i) {
    const int bottom = h - trunk + 2 - i * (h - trunk) / (layers + 1);
    const int half = (w / 2 - 2) * (layers - i) / layers;
    const int top = bottom - (h - trunk) * 2 / (layers + 1);
    p.setPen(leaf.darker(140));
    p.setBrush(i % 2 ? leaf : leaf.lighter(112));
    p.drawPolygon(QPolygon({QPoint(w / 2, std::max(0, top)), QPoint(w / 2 + half, bottom),
                            QPoint(w / 2 - half, bottom)}));
  }
  return img;
}

QImage Broadleaf(int h, int seed) {
  const int w = h > 110 ? 96 : 48;
  QImage img = Blank(w, h);
  QPainter p(&img);
  const int trunkTop = h * 5 / 9;
  p.fillRect(w / 2 - 4, trunkTop, 8, h - trunkTop, QColor(110, 76, 44));
  const QColor leaf = Vary(QColor(64, 136, 44), seed, 22);
  for (int i = 0; i < 7; ++i) {
    const int r =
        w / 4 + static_cast<int>(Hash(i, seed, 5) % static_cast<std::uint32_t>(w / 8 + 1));
    const int cx =
        w / 2 + static_cast<int>(Hash(i, seed, 6) % static_cast<std::uint32_t>(w / 2 + 1)) - w / 4;
    const int cy = trunkTop - r / 2 -
                   static_cast<int>(Hash(i, seed, 7) % static_cast<std::uint32_t>(h / 3 + 1));
    p.setPen(leaf.darker(130));
    p.setBrush(i % 3 ? leaf : leaf.lighter(120));
    p.drawEllipse(QPoint(cx, std::max(r, cy)), std::min(r, w / 2 - 1),
                  std::min(r, w / 2 - 1) * 4 / 5);
  }
  return img;
}

QImage Bush(int w, int h, int seed) {
  QImage img = Blank(w, h);
  QPainter p(&img);
  const QColor leaf = Vary(QColor(58, 120, 50), seed, 20);
  for (int i = 0; i < 5; ++i) {
    p.setPen(leaf.darker(140));
    p.setBrush(i % 2 ? leaf : leaf.lighter(115));
    const int r = h / 3;
    p.drawEllipse(QPoint(r + i * (w - 2 * r) / 4, h - r - 1 - (i % 2) * r / 2), r, r);
  }
  if (seed % 3 == 0) {  // berries
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 40, 50));
    for (int i = 0; i < 6; ++i)
      p.drawEllipse(QPoint(6 + i * (w - 12) / 5, h / 2 + (i % 2) * 4), 2, 2);
  }
  return img;
}

QImage Rock(int w, int h, int seed) {
  QImage img = Blank(w, h);
  QPainter p(&img);
  const QColor stone = Vary(QColor(128, 124, 118), seed, 20);
  QPolygon outline;
  const int points = 9;
  for (int i = 0; i < points; ++i) {
    const double a = kPi + i * kPi / (points - 1);
    const double r = 0.8 + 0.2 * (Hash(i, seed, 11) % 100) / 100.0;
    outline << QPoint(w / 2 + static_cast<int>(std::cos(a) * (w / 2 - 2) * r),
                      h - 2 + static_cast<int>(std::sin(a) * (h - 4) * r));
  }
  p.setPen(stone.darker(160));
  p.setBrush(stone);
  p.drawPolygon(outline);
  p.setPen(stone.lighter(130));
  p.drawLine(w / 3, h / 2, w / 2, h / 3);
  return img;
}

QImage Flowers(int seed) {
  QImage img = Blank(48, 32);
  QPainter p(&img);
  const QColor petals[] = {QColor(240, 80, 80), QColor(250, 220, 60), QColor(180, 90, 230),
                           QColor(250, 250, 250)};
  for (int i = 0; i < 6; ++i) {
    const int x = 6 + static_cast<int>(Hash(i, seed, 3) % 36),
              y = 10 + static_cast<int>(Hash(i, seed, 4) % 18);
    p.setPen(QColor(60, 130, 50));
    p.drawLine(x, y, x, 31);
    p.setPen(Qt::NoPen);
    p.setBrush(petals[(seed + i) % 4]);
    p.drawEllipse(QPoint(x, y), 3, 3);
  }
  return img;
}

QImage Fence(int kind, int seed) {
  QImage img = Blank(48, 48);
  QPainter p(&img);
  const QColor wood = Vary(QColor(150, 110, 64), seed, 16);
  p.setPen(wood.darker(150));
  p.setBrush(wood);
  if (kind == 0) {  // along the row
    p.drawRect(0, 22, 47, 5);
    p.drawRect(0, 34, 47, 5);
    p.drawRect(4, 14, 6, 33);
    p.drawRect(38, 14, 6, 33);
  } else if (kind == 1) {  // down the column
    p.drawRect(20, 0, 7, 47);
  } else {  // a post
    p.drawRect(19, 12, 9, 35);
  }
  return img;
}

QImage House(int w, int h, int seed) {
  QImage img = Blank(w, h);
  QPainter p(&img);
  const int wallTop = h * 2 / 5;
  const QColor wall = Vary(QColor(200, 180, 140), seed, 20);
  const QColor roof =
      seed % 2 ? Vary(QColor(160, 60, 44), seed, 20) : Vary(QColor(70, 80, 120), seed, 16);
  p.setPen(wall.darker(150));
  p.setBrush(wall);
  p.drawRect(4, wallTop, w - 9, h - wallTop - 1);
  p.setPen(roof.darker(150));
  p.setBrush(roof);
  p.drawPolygon(QPolygon({QPoint(w / 2, 2), QPoint(w - 1, wallTop + 4), QPoint(0, wallTop + 4)}));
  p.setPen(QColor(70, 44, 24));
  p.setBrush(QColor(100, 64, 32));
  p.drawRect(w / 2 - 8, h - 30, 16, 29);  // door
  p.setBrush(QColor(150, 200, 230));
  for (int x = 14; x + 14 < w / 2 - 8; x += 22) p.drawRect(x, wallTop + 14, 12, 12);
  for (int x = w / 2 + 14; x + 12 < w - 6; x += 22) p.drawRect(x, wallTop + 14, 12, 12);
  if (seed % 3 == 0) p.fillRect(w * 3 / 4, 8, 10, wallTop / 2, QColor(110, 100, 96));  // chimney
  return img;
}

QImage Lamp(int h, int seed) {
  QImage img = Blank(48, h);
  QPainter p(&img);
  p.fillRect(22, 14, 4, h - 14, QColor(60, 60, 70));
  p.fillRect(18, h - 6, 12, 6, QColor(50, 50, 60));
  p.setPen(QColor(90, 90, 100));
  p.setBrush(seed % 2 ? QColor(255, 230, 120) : QColor(255, 200, 90));
  p.drawRect(16, 2, 16, 14);
  return img;
}

QImage Well(int seed) {
  QImage img = Blank(96, 96);
  QPainter p(&img);
  const QColor stone = Vary(QColor(140, 136, 128), seed, 10);
  p.setPen(stone.darker(150));
  p.setBrush(stone);
  p.drawEllipse(QPoint(48, 72), 36, 18);
  p.setBrush(QColor(30, 50, 90));
  p.drawEllipse(QPoint(48, 70), 26, 11);
  p.fillRect(14, 20, 6, 54, QColor(110, 76, 44));
  p.fillRect(76, 20, 6, 54, QColor(110, 76, 44));
  p.setPen(QColor(120, 50, 40));
  p.setBrush(QColor(150, 66, 50));
  p.drawPolygon(QPolygon({QPoint(48, 2), QPoint(92, 24), QPoint(4, 24)}));
  return img;
}

QImage Crate(int w, int h, int seed) {
  QImage img = Blank(w, h);
  QPainter p(&img);
  const QColor wood = Vary(QColor(170, 124, 70), seed, 14);
  p.setPen(wood.darker(160));
  p.setBrush(wood);
  if (seed % 2) {
    p.drawRect(4, h - 34, w - 9, 33);
    p.drawLine(4, h - 34, w - 5, h - 1);
    p.drawLine(w - 5, h - 34, 4, h - 1);
  } else {  // a barrel
    p.drawRoundedRect(10, h - 38, w - 20, 37, 8, 8);
    p.drawLine(10, h - 26, w - 10, h - 26);
    p.drawLine(10, h - 12, w - 10, h - 12);
  }
  return img;
}

QImage Signpost(int seed) {
  QImage img = Blank(48, 64);
  QPainter p(&img);
  p.fillRect(22, 16, 5, 48, QColor(110, 76, 44));
  p.setPen(QColor(80, 56, 30));
  p.setBrush(Vary(QColor(176, 140, 90), seed, 10));
  p.drawPolygon(
      QPolygon({QPoint(6, 8), QPoint(38, 8), QPoint(46, 16), QPoint(38, 24), QPoint(6, 24)}));
  return img;
}

}  // namespace

DemoArt DemoArt::Draw() {
  DemoArt art;
  for (int group = 0; group < kTileGroups; ++group) {
    for (int variant = 0; variant < kBigTileGroupSize; ++variant) {
      art.Tiles.push_back(BigTile(group, variant));
    }
  }
  // The neutral tile is bare earth, whichever group it falls in.
  QImage& neutral = art.Tiles[kNeutralBigTile];
  neutral = QImage(kBigTileWidth, kBigTileHeight, QImage::Format_RGB32);
  for (int y = 0; y < neutral.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(neutral.scanLine(y));
    for (int x = 0; x < neutral.width(); ++x) row[x] = EarthPixel(x, y);
  }

  for (int group = 0; group < kSmallTileGroups; ++group) {
    for (int s = 0; s < kSmallTileGroupSize; ++s) {
      const int image = group * kSmallTileGroupSize + s;
      if (image >= kLightMarkImage && image <= kFrontMarkImage) {
        art.SmTiles.push_back(MarkImage(image));
      } else {
        art.SmTiles.push_back(SmallTile(group,
                                        SmallTilePainter::ShapeOf(SmallTilePainter::PieceOfImage(s)),
                                        SmallTilePainter::VariantOfImage(s)));
      }
    }
  }

  // Objects: trees of many heights, bushes, rocks and flowers.
  for (int i = 0; i < 16; ++i) art.Objects.push_back(Conifer(64 + i * 9, i));
  for (int i = 0; i < 16; ++i) art.Objects.push_back(Broadleaf(60 + i * 9, i + 40));
  for (int i = 0; i < 10; ++i) art.Objects.push_back(Bush(48, 28 + (i % 3) * 8, i));
  for (int i = 0; i < 10; ++i)
    art.Objects.push_back(Rock(i % 3 == 2 ? 96 : 48, 20 + (i % 4) * 8, i + 7));
  for (int i = 0; i < 8; ++i) art.Objects.push_back(Flowers(i));

  // Objects2: what people build.
  for (int kind = 0; kind < 3; ++kind) {
    for (int i = 0; i < 4; ++i) art.Objects2.push_back(Fence(kind, i + kind * 4));
  }
  for (int i = 0; i < 12; ++i) {
    art.Objects2.push_back(House(i < 6 ? 96 : 144, 110 + (i % 6) * 18, i));
  }
  for (int i = 0; i < 6; ++i) art.Objects2.push_back(Lamp(72 + (i % 3) * 16, i));
  for (int i = 0; i < 4; ++i) art.Objects2.push_back(Well(i));
  for (int i = 0; i < 8; ++i) art.Objects2.push_back(Crate(48, 40 + (i % 2) * 6, i));
  for (int i = 0; i < 4; ++i) art.Objects2.push_back(Signpost(i));
  return art;
}

}  // namespace hl
