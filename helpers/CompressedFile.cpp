#include "helpers/CompressedFile.h"

namespace {

std::uint32_t littleEndian(const std::string& bytes, std::size_t at, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

}  // namespace

std::optional<std::uint64_t> expandedLength(const std::string& header) {
  // SZDD: signature, mode 'A', the name's missing last letter, then the length.
  static const std::string szdd("SZDD\x88\xF0\x27\x33", 8);
  if (header.size() >= 14 && header.compare(0, 8, szdd) == 0 && header[8] == 'A')
    return littleEndian(header, 10, 4);

  // A cabinet: its header says where the file entries start; each begins with the
  // file's length. Only a cabinet of one file that does not continue in another.
  if (header.size() >= 36 && header.compare(0, 4, "MSCF") == 0) {
    const std::uint32_t firstFile = littleEndian(header, 16, 4);
    const std::uint32_t files = littleEndian(header, 28, 2);
    const std::uint32_t flags = littleEndian(header, 30, 2);
    constexpr std::uint32_t kPreviousOrNextCabinet = 0x0001 | 0x0002;
    if (files == 1 && !(flags & kPreviousOrNextCabinet) && firstFile >= 36 &&
        firstFile <= header.size() - 4)
      return littleEndian(header, firstFile, 4);
  }
  return std::nullopt;
}
