#include "images/PngFile.h"

#include <QBuffer>
#include <QByteArray>

#include "util/SafeFileWriter.h"

namespace hl {

bool WritePng(const std::string& path, const QImage& image) {
  QByteArray encoded;
  QBuffer buffer(&encoded);
  if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
    return false;
  }
  SafeFileWriter out;
  return out.Open(path, SafeFileWriter::OldTail::Drop) &&
         out.Write({reinterpret_cast<const std::uint8_t*>(encoded.constData()),
                    static_cast<std::size_t>(encoded.size())}) &&
         out.Commit();
}

}  // namespace hl
