#include "forms/Jpeg.h"

#include <algorithm>
#include <utility>

namespace forms {

namespace {

// Position in the block of the n-th coefficient of the zigzag order.
constexpr std::uint8_t kNatural[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

struct HuffmanTable {
  bool defined = false;
  std::uint8_t values[256] = {};
  int maxCode[18] = {};  // largest code of each length, -1 when none
  int offset[17] = {};   // index in values of a length's first code, less that code
  static constexpr int kFastBits = 9;
  // For every kFastBits bits that begin with a code of that many bits or fewer: its
  // length times 256 plus its value; 0 for the longer codes.
  std::uint16_t fast[1 << kFastBits] = {};
};

struct Component {
  int id = 0;
  int quant = 0;
  int dcTable = 0, acTable = 0;
  std::int64_t predictor = 0;         // wide: damaged data may drive it far out
  std::vector<std::uint8_t> samples;  // one row of blocks, side by side
};

class BitReader {
 public:
  BitReader(const std::uint8_t* p, const std::uint8_t* end) : p_(p), end_(end) {}

  // The next n bits (up to 16), left in place.
  unsigned peek(int n) {
    if (count_ < n) fill();
    return acc_ >> (32 - n);
  }
  void skip(int n) {
    acc_ <<= n;
    count_ -= n;
  }
  int bits(int n) {
    const unsigned v = peek(n);
    skip(n);
    return static_cast<int>(v);
  }
  int bit() { return bits(1); }

  // At a restart marker: drops the bits left of this byte and the marker.
  void restart() {
    acc_ = 0;
    count_ = 0;
    while (p_ + 1 < end_ && !(p_[0] == 0xFF && p_[1] >= 0xD0 && p_[1] <= 0xD7)) ++p_;
    if (p_ + 1 < end_) p_ += 2;
  }

  const std::uint8_t* position() const { return p_; }

 private:
  void fill() {
    while (count_ <= 24) {
      // Past a marker (or the end) the scan reads as zero bits, as the library's does.
      unsigned byte = 0;
      if (p_ < end_ && !(p_[0] == 0xFF && (p_ + 1 >= end_ || p_[1] != 0))) {
        byte = *p_++;
        if (byte == 0xFF) ++p_;  // a stuffed zero
      }
      acc_ |= byte << (24 - count_);
      count_ += 8;
    }
  }

  const std::uint8_t* p_;
  const std::uint8_t* end_;
  std::uint32_t acc_ = 0;  // the next bits, first at the top
  int count_ = 0;
};

int decodeSymbol(BitReader& in, const HuffmanTable& t) {
  // Most codes are short: one look at the next bits finds them.
  const unsigned fast = t.fast[in.peek(HuffmanTable::kFastBits)];
  if (fast) {
    in.skip(fast >> 8);
    return fast & 0xFF;
  }
  int code = in.bit();
  for (int length = 1; length <= 16; ++length) {
    if (code <= t.maxCode[length]) return t.values[(t.offset[length] + code) & 0xFF];
    code = (code << 1) | in.bit();
  }
  return -1;
}

// A coefficient of `size` bits, its sign in the top one (F.12 of the standard).
int receiveExtend(BitReader& in, int size) {
  if (size == 0) return 0;
  const int v = in.bits(size);
  return v < (1 << (size - 1)) ? v - (1 << size) + 1 : v;
}

std::uint8_t clampSample(std::int64_t x) {
  return static_cast<std::uint8_t>(x < 0 ? 0 : x > 255 ? 255 : x);
}

// The inverse DCT on dequantised coefficients in natural order, giving the block's
// n x n samples: n is 8 for the picture at its size, or 4, 2 or 1 for a half, a
// quarter or an eighth of it, each sample then the mean of the 2 x 2, 4 x 4 or 8 x 8
// the whole transform gives. at[x][u] is the mean over the samples that make sample
// x of the cosine of frequency u (DC's 1/sqrt(2) included), with 12 fractional bits.
struct DctBasis {
  explicit DctBasis(int n) {
    // cos(k pi / 16) for k from 0 to 8; the rest of the circle follows by symmetry.
    static constexpr std::int32_t kCos[9] = {4096, 4017, 3784, 3406, 2896, 2276, 1567, 799, 0};
    const int f = 8 / n;
    for (int x = 0; x < n; ++x)
      for (int u = 0; u < 8; ++u) {
        std::int32_t sum = 0;
        for (int j = 0; j < f; ++j) {
          int k = (2 * (f * x + j) + 1) * u % 32;
          if (k > 16) k = 32 - k;
          sum += k > 8 ? -kCos[16 - k] : kCos[k];
        }
        at[x][u] = (u ? sum : sum * kCos[4] / 4096) / f;
      }
  }
  std::int32_t at[8][8] = {};
};

void inverseDct(const std::int64_t* in, std::uint8_t* out, int stride, int n,
                const DctBasis& basis) {
  std::int64_t work[8][8] = {};  // [frequency down][sample across]
  for (int v = 0; v < 8; ++v)
    for (int u = 0; u < 8; ++u)
      if (const std::int64_t c = in[v * 8 + u])
        for (int x = 0; x < n; ++x) work[v][x] += basis.at[x][u] * c;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      std::int64_t sum = 0;
      for (int v = 0; v < 8; ++v) sum += basis.at[y][v] * work[v][x];
      // A quarter of the sum, in sample units (24 fractional bits), centred on 128.
      const std::int64_t value = ((sum + (std::int64_t{1} << 25)) >> 26) + 128;
      out[y * stride + x] = clampSample(value);
    }
}

std::uint16_t word(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

class Decoder {
 public:
  Decoder(int wantedWidth, int wantedHeight)
      : wantedWidth_(wantedWidth), wantedHeight_(wantedHeight) {}

  bool run(const std::uint8_t* data, std::size_t size, DecodedPicture& out) {
    const std::uint8_t* p = data;
    const std::uint8_t* end = data + size;
    if (size < 4 || p[0] != 0xFF || p[1] != 0xD8) return false;
    p += 2;
    bool scanned = false;
    while (p + 4 <= end) {
      if (p[0] != 0xFF) return false;
      const std::uint8_t marker = p[1];
      if (marker == 0xFF) {  // fill byte
        ++p;
        continue;
      }
      if (marker == 0xD9) break;
      const std::size_t length = word(p + 2);
      if (length < 2 || p + 2 + length > end) return false;
      const std::uint8_t* body = p + 4;
      const std::size_t n = length - 2;
      p += 2 + length;
      switch (marker) {
        case 0xC0:
        case 0xC1:
          if (!frame(body, n)) return false;
          break;
        case 0xC4:
          if (!huffman(body, n)) return false;
          break;
        case 0xDB:
          if (!quantisation(body, n)) return false;
          break;
        case 0xDD:
          if (n < 2) return false;
          restartInterval_ = word(body);
          break;
        case 0xDA:
          if (scanned || components_.empty()) return false;
          p = scan(body, n, end);
          if (!p) return false;
          scanned = true;
          break;
        default:
          // Progressive, arithmetic, lossless and the rest are not ours.
          if (marker >= 0xC2 && marker <= 0xCF) return false;
          break;  // application data and comments
      }
    }
    if (!scanned) return false;
    out = std::move(picture_);
    return true;
  }

 private:
  bool frame(const std::uint8_t* b, std::size_t n) {
    if (n < 6 || b[0] != 8 || !components_.empty()) return false;
    height_ = word(b + 1);
    width_ = word(b + 3);
    const int count = b[5];
    // Nothing the program shows is larger than its screen; a damaged size is refused
    // before it asks for gigabytes.
    if (width_ == 0 || height_ == 0 || width_ > 4096 || height_ > 4096 ||
        (count != 1 && count != 3) || n < 6u + 3u * count)
      return false;
    blocksWide_ = (width_ + 7) / 8;
    blocksHigh_ = (height_ + 7) / 8;
    // The smallest of the sizes at hand that is still as large as wanted. Unless it is
    // just that size, one twice as large where there is one: each pixel shrunk from
    // it then is the mean of enough samples.
    for (n_ = 1; n_ < 8; n_ *= 2)
      if (scaled(width_) >= wantedWidth_ && scaled(height_) >= wantedHeight_) break;
    if (scaled(width_) != wantedWidth_ || scaled(height_) != wantedHeight_)
      while (n_ < 8 && (scaled(width_) < 2 * wantedWidth_ || scaled(height_) < 2 * wantedHeight_))
        n_ *= 2;
    picture_.width = scaled(width_);
    picture_.height = scaled(height_);
    picture_.bgr.resize(static_cast<std::size_t>(picture_.width) * picture_.height * 3);
    for (int i = 0; i < count; ++i) {
      const std::uint8_t* c = b + 6 + 3 * i;
      if (c[1] != 0x11 || c[2] > 3) return false;  // full resolution only
      Component comp;
      comp.id = c[0];
      comp.quant = c[2];
      comp.samples.resize(static_cast<std::size_t>(blocksWide_) * n_ * n_);
      components_.push_back(std::move(comp));
    }
    return true;
  }

  bool quantisation(const std::uint8_t* b, std::size_t n) {
    std::size_t i = 0;
    while (i < n) {
      const int precision = b[i] >> 4, id = b[i] & 15;
      const std::size_t bytes = precision ? 128 : 64;
      if (id > 3 || i + 1 + bytes > n) return false;
      for (int k = 0; k < 64; ++k)
        quant_[id][kNatural[k]] = precision ? word(b + i + 1 + 2 * k) : b[i + 1 + k];
      i += 1 + bytes;
    }
    return true;
  }

  bool huffman(const std::uint8_t* b, std::size_t n) {
    std::size_t i = 0;
    while (i + 17 <= n) {
      const int kind = b[i] >> 4, id = b[i] & 15;
      if (kind > 1 || id > 3) return false;
      HuffmanTable& t = tables_[kind][id];
      int total = 0;
      for (int l = 1; l <= 16; ++l) total += b[i + l];
      if (total > 256 || i + 17 + total > n) return false;
      for (int k = 0; k < total; ++k) t.values[k] = b[i + 17 + k];
      int code = 0, index = 0;
      for (auto& f : t.fast) f = 0;
      for (int l = 1; l <= 16; ++l) {
        const int count = b[i + l];
        if (code + count > (1 << l)) return false;  // more codes than the length has
        for (int k = 0; k < count && l <= HuffmanTable::kFastBits; ++k) {
          const int shift = HuffmanTable::kFastBits - l;
          for (int fill = 0; fill < (1 << shift); ++fill)
            t.fast[((code + k) << shift) | fill] =
                static_cast<std::uint16_t>(l << 8 | t.values[index + k]);
        }
        t.offset[l] = index - code;
        code += count;
        index += count;
        t.maxCode[l] = count ? code - 1 : -1;
        code <<= 1;
      }
      t.maxCode[17] = 0x7FFFFFFF;
      t.defined = true;
      i += 17 + total;
    }
    return i == n;
  }

  // The one scan, all components interleaved; returns where the data after it starts.
  const std::uint8_t* scan(const std::uint8_t* b, std::size_t n, const std::uint8_t* end) {
    const std::size_t count = n ? b[0] : 0;
    if (count != components_.size() || n < 4 + 2 * count) return nullptr;
    for (std::size_t i = 0; i < count; ++i) {
      Component& c = components_[i];
      if (b[1 + 2 * i] != c.id) return nullptr;
      c.dcTable = b[2 + 2 * i] >> 4;
      c.acTable = b[2 + 2 * i] & 15;
      if (c.dcTable > 3 || c.acTable > 3 || !tables_[0][c.dcTable].defined ||
          !tables_[1][c.acTable].defined)
        return nullptr;
    }
    // Baseline: the spectral selection covers every coefficient, no successive approximation.
    if (b[1 + 2 * count] != 0 || b[2 + 2 * count] != 63 || b[3 + 2 * count] != 0) return nullptr;
    BitReader in(b + n, end);
    const DctBasis basis(n_);
    const int mcus = blocksWide_ * blocksHigh_;
    std::int64_t coef[64];
    for (int m = 0; m < mcus; ++m) {
      if (restartInterval_ && m > 0 && m % restartInterval_ == 0) {
        in.restart();
        for (Component& c : components_) c.predictor = 0;
      }
      const int bx = m % blocksWide_, by = m / blocksWide_;
      for (Component& c : components_) {
        const std::uint16_t* q = quant_[c.quant];
        for (auto& v : coef) v = 0;
        const int t = decodeSymbol(in, tables_[0][c.dcTable]);
        if (t < 0 || t > 15) return nullptr;
        c.predictor += receiveExtend(in, t);
        // Held in 16 bits as the library holds it; only damaged data goes beyond.
        coef[0] = static_cast<std::int16_t>(c.predictor) * q[0];
        for (int k = 1; k < 64;) {
          const int rs = decodeSymbol(in, tables_[1][c.acTable]);
          if (rs < 0) return nullptr;
          const int run = rs >> 4, s = rs & 15;
          if (s == 0) {
            if (run != 15) break;  // end of block
            k += 16;
            continue;
          }
          k += run;
          if (k > 63) return nullptr;
          coef[kNatural[k]] = receiveExtend(in, s) * q[kNatural[k]];
          ++k;
        }
        inverseDct(coef, &c.samples[static_cast<std::size_t>(bx) * n_], blocksWide_ * n_, n_,
                   basis);
      }
      if (bx == blocksWide_ - 1) convertRow(by);
    }
    // The scan ends at the next marker.
    const std::uint8_t* p = in.position();
    while (p + 1 < end && !(p[0] == 0xFF && p[1] != 0 && !(p[1] >= 0xD0 && p[1] <= 0xD7))) ++p;
    return p;
  }

  // The eight lines of a row of blocks, from YCbCr by the library's tables (16
  // fractional bits, rounded) into the picture.
  void convertRow(int by) {
    const int stride = blocksWide_ * n_, width = picture_.width;
    constexpr std::int32_t kHalf = 1 << 15;
    constexpr std::int32_t kCrR = 91881, kCbB = 116130, kCrG = 46802, kCbG = 22554;
    for (int line = 0; line < n_ && by * n_ + line < picture_.height; ++line) {
      std::uint8_t* o = &picture_.bgr[static_cast<std::size_t>(by * n_ + line) * width * 3];
      const std::uint8_t* y = &components_[0].samples[static_cast<std::size_t>(line) * stride];
      if (components_.size() == 1) {
        for (int x = 0; x < width; ++x, o += 3) o[0] = o[1] = o[2] = y[x];
        continue;
      }
      const std::uint8_t* cbs = &components_[1].samples[static_cast<std::size_t>(line) * stride];
      const std::uint8_t* crs = &components_[2].samples[static_cast<std::size_t>(line) * stride];
      for (int x = 0; x < width; ++x, o += 3) {
        const int Y = y[x], cb = cbs[x] - 128, cr = crs[x] - 128;
        o[2] = clampSample(Y + ((kCrR * cr + kHalf) >> 16));
        o[1] = clampSample(Y + ((-kCbG * cb + kHalf - kCrG * cr) >> 16));
        o[0] = clampSample(Y + ((kCbB * cb + kHalf) >> 16));
      }
    }
  }

  // A length of the picture as decoded, n_ samples a block of eight.
  int scaled(int length) const { return (length * n_ + 7) / 8; }

  const int wantedWidth_, wantedHeight_;
  int n_ = 8;
  DecodedPicture picture_;
  int width_ = 0, height_ = 0, blocksWide_ = 0, blocksHigh_ = 0;
  int restartInterval_ = 0;
  std::uint16_t quant_[4][64] = {};
  HuffmanTable tables_[2][4];
  std::vector<Component> components_;
};

// A line of `from` samples, `inStep` bytes apart, as `to` samples: each the mean of
// the stretch of the line it covers, partly covered samples in part. In units of
// 1 / (from * to) of the line, sample i of the input covers [i * to, (i + 1) * to)
// and sample x of the output [x * from, (x + 1) * from).
void resampleLine(const std::uint8_t* in, int from, std::size_t inStep, std::uint8_t* out, int to,
                  std::size_t outStep) {
  for (int x = 0; x < to; ++x) {
    const std::int64_t begin = std::int64_t{x} * from, end = begin + from;
    std::int64_t sum = 0;
    for (std::int64_t i = begin / to; i < from && i * to < end; ++i)
      sum += (std::min(end, (i + 1) * to) - std::max(begin, i * to)) * in[i * inStep];
    out[x * outStep] = static_cast<std::uint8_t>((sum + from / 2) / from);
  }
}

}  // namespace

void stretchPicture(const DecodedPicture& in, int width, int height, std::uint8_t* out,
                    std::size_t stride) {
  // Across first, into whole rows of the new width; then down, into `out`.
  const std::size_t row = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint8_t> across(row * in.height);
  for (int y = 0; y < in.height; ++y)
    for (int c = 0; c < 3; ++c)
      resampleLine(&in.bgr[static_cast<std::size_t>(y) * in.width * 3 + c], in.width, 3,
                   &across[y * row + c], width, 3);
  for (std::size_t x = 0; x < row; ++x)
    resampleLine(&across[x], in.height, row, out + x, height, stride);
}

bool decodeJpeg(const std::uint8_t* data, std::size_t size, DecodedPicture& out, int wantedWidth,
                int wantedHeight) {
  if (!data) return false;
  return Decoder(wantedWidth, wantedHeight).run(data, size, out);
}

}  // namespace forms
