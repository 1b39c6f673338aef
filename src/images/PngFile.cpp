#include "images/PngFile.h"

#include <QBuffer>
#include <QByteArray>

#include "util/SafeFileWriter.h"
#include "util/WriteWholeFile.h"

namespace hl {

SaveResult WritePng(const std::string& path, const QImage& image) {
  if (image.isNull()) return SaveResult::CannotWrite(path, "there is no picture to write");
  QByteArray encoded;
  QBuffer buffer(&encoded);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
    return SaveResult::CannotWrite(path, "the picture could not be encoded as PNG");
  }
  return WriteWholeFile(path,
                        {reinterpret_cast<const std::uint8_t*>(encoded.constData()),
                         static_cast<std::size_t>(encoded.size())},
                        SafeFileWriter::OldTail::Drop);
}

}  // namespace hl
