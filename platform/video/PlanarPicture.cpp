#include "platform/video/PlanarPicture.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libswscale/swscale.h>
}

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace plat {

namespace {

// Rows are padded to this many bytes, and each plane has as many to spare after its last row.
constexpr int kRowAlign = 64;
constexpr std::uint32_t kBlack = 0xFF000000u;

int Aligned(int n) { return (n + kRowAlign - 1) / kRowAlign * kRowAlign; }

// The conversion in 16-bit fixed point, the same in the vector and the plain code: samples less
// their offset, times 64, are multiplied by coefficients with 13 fraction bits keeping the high 16
// bits of each product; the sum has 3 fraction bits.
struct Coefficients {
  std::int16_t luma;   // Y
  std::int16_t red;    // V to R
  std::int16_t greenU; // U to G, subtracted
  std::int16_t greenV; // V to G, subtracted
  std::int16_t blue;   // U to B
  std::int16_t lumaOffset;
};

// The scaler's own coefficients for the matrix (16.16, for colour samples of the limited range),
// so that a picture shows as the scaler converts it.
Coefficients CoefficientsFor(int matrix, bool fullRange) {
  const int* table = sws_getCoefficients(matrix);
  const auto q13 = [fullRange](int k16) {
    const long long k = fullRange ? static_cast<long long>(k16) * 224 / 255 : k16;
    return static_cast<std::int16_t>((k + 4) / 8);
  };
  Coefficients c{};
  c.luma = static_cast<std::int16_t>(fullRange ? 8192 : (8192 * 255 + 109) / 219);
  c.red = q13(table[0]);
  c.blue = q13(table[1]);
  c.greenU = q13(table[2]);
  c.greenV = q13(table[3]);
  c.lumaOffset = fullRange ? 0 : 16;
  return c;
}

int HighProduct(int a, int k) { return (a * k) >> 16; }

std::uint32_t Channel(int value) { return static_cast<std::uint32_t>(std::clamp((value + 4) >> 3, 0, 255)); }

std::uint32_t Pixel(int y, int u, int v, const Coefficients& c) {
  const int yy = HighProduct((y - c.lumaOffset) * 64, c.luma);
  const int cu = (u - 128) * 64;
  const int cv = (v - 128) * 64;
  const int r = yy + HighProduct(cv, c.red);
  const int g = yy - (HighProduct(cu, c.greenU) + HighProduct(cv, c.greenV));
  const int b = yy + HighProduct(cu, c.blue);
  return kBlack | Channel(r) << 16 | Channel(g) << 8 | Channel(b);
}

// Pixels [x, end) of a row; each pair of pixels from an even x shares its colour samples.
void PlainRow(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v, int x, int end,
              std::uint32_t* out, const Coefficients& c) {
  for (; x < end; ++x, ++out) *out = Pixel(y[x], u[x >> 1], v[x >> 1], c);
}

#if defined(__SSE2__)
// Eight pixels from an even x.
void VectorPixels(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v, std::uint32_t* out,
                  const Coefficients& c) {
  const __m128i zero = _mm_setzero_si128();
  std::int32_t uBytes = 0;
  std::int32_t vBytes = 0;
  std::memcpy(&uBytes, u, 4);
  std::memcpy(&vBytes, v, 4);
  __m128i luma = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(y)), zero);
  __m128i cu = _mm_unpacklo_epi8(_mm_cvtsi32_si128(uBytes), zero);
  __m128i cv = _mm_unpacklo_epi8(_mm_cvtsi32_si128(vBytes), zero);
  cu = _mm_unpacklo_epi16(cu, cu);
  cv = _mm_unpacklo_epi16(cv, cv);
  luma = _mm_slli_epi16(_mm_sub_epi16(luma, _mm_set1_epi16(c.lumaOffset)), 6);
  cu = _mm_slli_epi16(_mm_sub_epi16(cu, _mm_set1_epi16(128)), 6);
  cv = _mm_slli_epi16(_mm_sub_epi16(cv, _mm_set1_epi16(128)), 6);
  const __m128i yy = _mm_mulhi_epi16(luma, _mm_set1_epi16(c.luma));
  const __m128i round = _mm_set1_epi16(4);
  __m128i r = _mm_add_epi16(yy, _mm_mulhi_epi16(cv, _mm_set1_epi16(c.red)));
  __m128i g = _mm_sub_epi16(yy, _mm_add_epi16(_mm_mulhi_epi16(cu, _mm_set1_epi16(c.greenU)),
                                               _mm_mulhi_epi16(cv, _mm_set1_epi16(c.greenV))));
  __m128i b = _mm_add_epi16(yy, _mm_mulhi_epi16(cu, _mm_set1_epi16(c.blue)));
  r = _mm_srai_epi16(_mm_add_epi16(r, round), 3);
  g = _mm_srai_epi16(_mm_add_epi16(g, round), 3);
  b = _mm_srai_epi16(_mm_add_epi16(b, round), 3);
  const __m128i r8 = _mm_packus_epi16(r, r);
  const __m128i g8 = _mm_packus_epi16(g, g);
  const __m128i b8 = _mm_packus_epi16(b, b);
  const __m128i bg = _mm_unpacklo_epi8(b8, g8);
  const __m128i ra = _mm_unpacklo_epi8(r8, _mm_set1_epi8(static_cast<char>(0xFF)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(bg, ra));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_unpackhi_epi16(bg, ra));
}

#define WIDE __attribute__((target("avx2")))

// Luma less its offset, times 64, scaled: the luma term of each pixel.
WIDE __m256i LumaTerms(__m256i samples, const Coefficients& c) {
  const __m256i lessOffset = _mm256_sub_epi16(samples, _mm256_set1_epi16(c.lumaOffset));
  return _mm256_mulhi_epi16(_mm256_slli_epi16(lessOffset, 6), _mm256_set1_epi16(c.luma));
}

// Sixteen colour samples less 128, times 64: 0-7 in the low half of the register, 8-15 in the high.
WIDE __m256i CentredColour(const std::uint8_t* samples) {
  const __m256i wide = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(samples)));
  return _mm256_slli_epi16(_mm256_sub_epi16(wide, _mm256_set1_epi16(128)), 6);
}

// One channel of 32 pixels in order, 8 bits each, from the luma terms and the colour term of each
// pair of pixels (rounding included).
WIDE __m256i ChannelBytes(__m256i lumaLow, __m256i lumaHigh, __m256i pairTerms) {
  const __m256i low = _mm256_srai_epi16(_mm256_add_epi16(lumaLow, _mm256_unpacklo_epi16(pairTerms, pairTerms)), 3);
  const __m256i high = _mm256_srai_epi16(_mm256_add_epi16(lumaHigh, _mm256_unpackhi_epi16(pairTerms, pairTerms)), 3);
  return _mm256_packus_epi16(low, high);
}

// Thirty-two pixels from an even x, where the processor has the wider registers: the same sums,
// with each colour term worked out once for the two pixels that share it and the rounding added
// into it. Unpacking works within each half of a register, so luma goes in as pixels 0-7 with
// 16-23 and 8-15 with 24-31, which is how the colour terms come out when doubled.
WIDE void WidePixels(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v, std::uint32_t* out,
                     const Coefficients& c) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i luma = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(y));
  const __m256i lumaLow = LumaTerms(_mm256_unpacklo_epi8(luma, zero), c);
  const __m256i lumaHigh = LumaTerms(_mm256_unpackhi_epi8(luma, zero), c);
  const __m256i cu = CentredColour(u);
  const __m256i cv = CentredColour(v);
  const __m256i round = _mm256_set1_epi16(4);
  const __m256i red = _mm256_add_epi16(_mm256_mulhi_epi16(cv, _mm256_set1_epi16(c.red)), round);
  const __m256i green = _mm256_sub_epi16(round, _mm256_add_epi16(_mm256_mulhi_epi16(cu, _mm256_set1_epi16(c.greenU)),
                                                                 _mm256_mulhi_epi16(cv, _mm256_set1_epi16(c.greenV))));
  const __m256i blue = _mm256_add_epi16(_mm256_mulhi_epi16(cu, _mm256_set1_epi16(c.blue)), round);
  const __m256i r8 = ChannelBytes(lumaLow, lumaHigh, red);
  const __m256i g8 = ChannelBytes(lumaLow, lumaHigh, green);
  const __m256i b8 = ChannelBytes(lumaLow, lumaHigh, blue);
  const __m256i alpha = _mm256_set1_epi8(static_cast<char>(0xFF));
  const __m256i bgLow = _mm256_unpacklo_epi8(b8, g8);  // pixels 0-7 and 16-23
  const __m256i bgHigh = _mm256_unpackhi_epi8(b8, g8);  // 8-15 and 24-31
  const __m256i raLow = _mm256_unpacklo_epi8(r8, alpha);
  const __m256i raHigh = _mm256_unpackhi_epi8(r8, alpha);
  const __m256i p0 = _mm256_unpacklo_epi16(bgLow, raLow);    // pixels 0-3 and 16-19
  const __m256i p1 = _mm256_unpackhi_epi16(bgLow, raLow);    // 4-7 and 20-23
  const __m256i p2 = _mm256_unpacklo_epi16(bgHigh, raHigh);  // 8-11 and 24-27
  const __m256i p3 = _mm256_unpackhi_epi16(bgHigh, raHigh);  // 12-15 and 28-31
  auto* to = reinterpret_cast<__m256i*>(out);
  _mm256_storeu_si256(to, _mm256_permute2x128_si256(p0, p1, 0x20));
  _mm256_storeu_si256(to + 1, _mm256_permute2x128_si256(p2, p3, 0x20));
  _mm256_storeu_si256(to + 2, _mm256_permute2x128_si256(p0, p1, 0x31));
  _mm256_storeu_si256(to + 3, _mm256_permute2x128_si256(p2, p3, 0x31));
}

#undef WIDE

bool HasWideRegisters() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

void Row(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v, int x, int end, std::uint32_t* out,
         const Coefficients& c) {
#if defined(__SSE2__)
  if (x % 2 != 0 && x < end) {
    PlainRow(y, u, v, x, x + 1, out, c);
    ++x;
    ++out;
  }
  if (HasWideRegisters()) {
    for (; x + 32 <= end; x += 32, out += 32) WidePixels(y + x, u + x / 2, v + x / 2, out, c);
  }
  for (; x + 8 <= end; x += 8, out += 8) VectorPixels(y + x, u + x / 2, v + x / 2, out, c);
#endif
  PlainRow(y, u, v, x, end, out, c);
}

}  // namespace

void PlanarPicture::Reset(int width, int height, bool fullRange, int matrix) {
  fullRange_ = fullRange;
  matrix_ = matrix;
  width_ = height_ = 0;
  if (width <= 0 || height <= 0) {
    bytes_.clear();
    return;
  }
  width_ = width;
  height_ = height;
  const int chromaWidth = (width_ + 1) / 2;
  const int chromaHeight = (height_ + 1) / 2;
  strides_[0] = Aligned(width_ + kRowAlign);
  strides_[1] = strides_[2] = Aligned(chromaWidth + kRowAlign);
  offsets_[1] = strides_[0] * height_ + kRowAlign;
  offsets_[2] = offsets_[1] + strides_[1] * chromaHeight + kRowAlign;
  const int end = offsets_[2] + strides_[2] * chromaHeight + kRowAlign;
  bytes_.resize(static_cast<std::size_t>(end));
}

void PlanarPicture::ConvertTo(const CRect& wanted, std::uint8_t* out, int outStride) const {
  CRect area;
  if (!area.IntersectRect(wanted, CRect(0, 0, width_, height_))) return;
  const Coefficients c = CoefficientsFor(matrix_, fullRange_);
  for (int row = area.top; row < area.bottom; ++row, out += outStride) {
    const int chromaRow = row / 2;
    Row(Plane(0) + static_cast<std::ptrdiff_t>(row) * strides_[0],
        Plane(1) + static_cast<std::ptrdiff_t>(chromaRow) * strides_[1],
        Plane(2) + static_cast<std::ptrdiff_t>(chromaRow) * strides_[2], area.left, area.right,
        reinterpret_cast<std::uint32_t*>(out), c);
  }
}

}  // namespace plat
