#include "forms/Jpeg.h"

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

// Range limiting as the library does it: the sample centred on 128, clamped, with
// the index taken modulo 1024.
std::uint8_t limitIdct(std::int64_t x) {
  const int k = static_cast<int>(x) & 1023;
  if (k < 128) return static_cast<std::uint8_t>(k + 128);
  if (k < 512) return 255;
  if (k < 896) return 0;
  return static_cast<std::uint8_t>(k - 896);
}

std::uint8_t clampSample(int x) {
  return static_cast<std::uint8_t>(x < 0 ? 0 : x > 255 ? 255 : x);
}

// The integer inverse DCT of the JPEG library (13 fractional bits, 2 more between
// the passes), on dequantised coefficients in natural order.
void inverseDct(const std::int64_t* in, std::uint8_t* out, int stride) {
  constexpr int kConstBits = 13, kPass1Bits = 2;
  constexpr std::int64_t F0298 = 2446, F0390 = 3196, F0541 = 4433, F0765 = 6270, F0899 = 7373,
                         F1175 = 9633, F1501 = 12299, F1847 = 15137, F1961 = 16069, F2053 = 16819,
                         F2562 = 20995, F3072 = 25172;
  auto descale = [](std::int64_t x, int n) { return (x + (1 << (n - 1))) >> n; };
  std::int64_t work[64];
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < 8; ++i) {
      // Pass 1 takes the columns of the input, pass 2 the rows of the work.
      const std::int64_t* s = pass == 0 ? in + i : work + i * 8;
      const int step = pass == 0 ? 8 : 1;
      auto at = [&](int k) { return s[k * step]; };
      std::int64_t r[8];
      if (!at(1) && !at(2) && !at(3) && !at(4) && !at(5) && !at(6) && !at(7)) {
        const std::int64_t dc =
            pass == 0 ? at(0) * (1 << kPass1Bits) : descale(at(0), kPass1Bits + 3);
        for (int k = 0; k < 8; ++k) r[k] = dc;
      } else {
        std::int64_t z2 = at(2), z3 = at(6);
        std::int64_t z1 = (z2 + z3) * F0541;
        const std::int64_t t2 = z1 + z3 * -F1847, t3 = z1 + z2 * F0765;
        const std::int64_t t0 = (at(0) + at(4)) * (1 << kConstBits);
        const std::int64_t t1 = (at(0) - at(4)) * (1 << kConstBits);
        const std::int64_t t10 = t0 + t3, t13 = t0 - t3, t11 = t1 + t2, t12 = t1 - t2;
        std::int64_t o0 = at(7), o1 = at(5), o2 = at(3), o3 = at(1);
        z1 = o0 + o3;
        z2 = o1 + o2;
        z3 = o0 + o2;
        std::int64_t z4 = o1 + o3;
        const std::int64_t z5 = (z3 + z4) * F1175;
        o0 *= F0298;
        o1 *= F2053;
        o2 *= F3072;
        o3 *= F1501;
        z1 *= -F0899;
        z2 *= -F2562;
        z3 = z3 * -F1961 + z5;
        z4 = z4 * -F0390 + z5;
        o0 += z1 + z3;
        o1 += z2 + z4;
        o2 += z2 + z3;
        o3 += z1 + z4;
        const int n = pass == 0 ? kConstBits - kPass1Bits : kConstBits + kPass1Bits + 3;
        r[0] = descale(t10 + o3, n);
        r[7] = descale(t10 - o3, n);
        r[1] = descale(t11 + o2, n);
        r[6] = descale(t11 - o2, n);
        r[2] = descale(t12 + o1, n);
        r[5] = descale(t12 - o1, n);
        r[3] = descale(t13 + o0, n);
        r[4] = descale(t13 - o0, n);
      }
      for (int k = 0; k < 8; ++k) {
        if (pass == 0)
          work[k * 8 + i] = r[k];
        else
          out[i * stride + k] = limitIdct(r[k]);
      }
    }
  }
}

std::uint16_t word(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

class Decoder {
 public:
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
    picture_.width = width_;
    picture_.height = height_;
    picture_.bgr.resize(static_cast<std::size_t>(width_) * height_ * 3);
    for (int i = 0; i < count; ++i) {
      const std::uint8_t* c = b + 6 + 3 * i;
      if (c[1] != 0x11 || c[2] > 3) return false;  // full resolution only
      Component comp;
      comp.id = c[0];
      comp.quant = c[2];
      comp.samples.resize(static_cast<std::size_t>(blocksWide_) * 64);
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
        const int stride = blocksWide_ * 8;
        inverseDct(coef, &c.samples[static_cast<std::size_t>(bx) * 8], stride);
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
    const int stride = blocksWide_ * 8;
    constexpr std::int32_t kHalf = 1 << 15;
    constexpr std::int32_t kCrR = 91881, kCbB = 116130, kCrG = 46802, kCbG = 22554;
    for (int line = 0; line < 8 && by * 8 + line < height_; ++line) {
      std::uint8_t* o = &picture_.bgr[static_cast<std::size_t>(by * 8 + line) * width_ * 3];
      const std::uint8_t* y = &components_[0].samples[static_cast<std::size_t>(line) * stride];
      if (components_.size() == 1) {
        for (int x = 0; x < width_; ++x, o += 3) o[0] = o[1] = o[2] = y[x];
        continue;
      }
      const std::uint8_t* cbs = &components_[1].samples[static_cast<std::size_t>(line) * stride];
      const std::uint8_t* crs = &components_[2].samples[static_cast<std::size_t>(line) * stride];
      for (int x = 0; x < width_; ++x, o += 3) {
        const int Y = y[x], cb = cbs[x] - 128, cr = crs[x] - 128;
        o[2] = clampSample(Y + ((kCrR * cr + kHalf) >> 16));
        o[1] = clampSample(Y + ((-kCbG * cb + kHalf - kCrG * cr) >> 16));
        o[0] = clampSample(Y + ((kCbB * cb + kHalf) >> 16));
      }
    }
  }

  DecodedPicture picture_;
  int width_ = 0, height_ = 0, blocksWide_ = 0, blocksHigh_ = 0;
  int restartInterval_ = 0;
  std::uint16_t quant_[4][64] = {};
  HuffmanTable tables_[2][4];
  std::vector<Component> components_;
};

}  // namespace

bool decodeJpeg(const std::uint8_t* data, std::size_t size, DecodedPicture& out) {
  if (!data) return false;
  return Decoder().run(data, size, out);
}

}  // namespace forms
