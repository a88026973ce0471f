#include "engine/audio/G726Decoder.h"

#include <algorithm>

#include "platform/ByteOrder.h"

// Every quantity below keeps the width and the fixed-point form that the ADPCM algorithm gives
// it, and wraps exactly where that algorithm wraps, so that the output is bit for bit the
// algorithm's.
struct G726Decoder::Rate {
  int bits;
  const int* dqln;       // log2 of the quantised difference's magnitude, minus the scale (2^-7)
  const int* w;          // scale factor multiplier (2^-4)
  const int* f;          // weight of the code for the speed control
};

namespace {

// Tables indexed by the whole code; the upper half holds the negative codes, whose magnitude
// counts down from the top.
constexpr int kDqln2[4] = {116, 365, 365, 116};
constexpr int kW2[4] = {-22, 439, 439, -22};
constexpr int kF2[4] = {0, 7, 7, 0};

constexpr int kDqln3[8] = {-2048, 135, 273, 373, 373, 273, 135, -2048};
constexpr int kW3[8] = {-4, 30, 137, 582, 582, 137, 30, -4};
constexpr int kF3[8] = {0, 1, 2, 7, 7, 2, 1, 0};

constexpr int kDqln4[16] = {-2048, 4, 135, 213, 273, 323, 373, 425,
                            425, 373, 323, 273, 213, 135, 4, -2048};
constexpr int kW4[16] = {-12, 18, 41, 64, 112, 198, 355, 1122, 1122, 355, 198, 112, 64, 41, 18, -12};
constexpr int kF4[16] = {0, 0, 0, 1, 1, 1, 3, 7, 7, 3, 1, 1, 1, 0, 0, 0};

constexpr int kDqln5[32] = {-2048, -66, 28, 104, 169, 224, 274, 318, 358, 395, 429,
                            459, 488, 514, 539, 566, 566, 539, 514, 488, 459, 429,
                            395, 358, 318, 274, 224, 169, 104, 28, -66, -2048};
constexpr int kW5[32] = {14, 14, 24, 39, 40, 41, 58, 100, 141, 179, 219, 280, 358, 440, 529, 696,
                         696, 529, 440, 358, 280, 219, 179, 141, 100, 58, 41, 40, 39, 24, 14, 14};
constexpr int kF5[32] = {0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 3, 4, 5, 6, 6,
                         6, 6, 5, 4, 3, 2, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};

constexpr G726Decoder::Rate kRates[4] = {
    {2, kDqln2, kW2, kF2},
    {3, kDqln3, kW3, kF3},
    {4, kDqln4, kW4, kF4},
    {5, kDqln5, kW5, kF5},
};

int BitLength(int v) {
  int n = 0;
  while (v >> n) ++n;
  return n;
}

// Product of a 16-bit coefficient (2^-14) and a signal in 11-bit floating form.
int FloatMultiply(int coefficient, int signal) {
  const int as = coefficient >> 15;
  const int amag = as == 0 ? coefficient >> 2 : (16384 - (coefficient >> 2)) & 8191;
  const int aexp = BitLength(amag);
  const int amant = amag == 0 ? 32 : (amag << 6) >> aexp;
  const int ss = signal >> 10;
  const int sexp = (signal >> 6) & 15;
  const int smant = signal & 63;
  const int wexp = sexp + aexp;
  const int wmant = (smant * amant + 48) >> 4;
  const int wmag = wexp <= 26 ? (wmant << 7) >> (26 - wexp) : ((wmant << 7) << (wexp - 26)) & 32767;
  return (ss ^ as) == 0 ? wmag : (65536 - wmag) & 65535;
}

// A magnitude with its sign in 11-bit floating form: sign, 4-bit exponent, 6-bit mantissa.
int ToFloat(int sign, int magnitude) {
  const int e = BitLength(magnitude);
  const int mant = magnitude == 0 ? 32 : (magnitude << 6) >> e;
  return (sign << 10) + (e << 6) + mant;
}

int SignExtend16(int v) { return v >= 32768 ? v - 65536 : v; }

int ScaleFactor(const G726Decoder::State& s) {
  const int al = s.ap >= 256 ? 64 : s.ap >> 2;
  const int dif = (s.yu + 16384 - (s.yl >> 6)) & 16383;
  const int difs = dif >> 13;
  const int difm = difs ? (16384 - dif) & 8191 : dif;
  const int prodm = (difm * al) >> 6;
  const int prod = difs ? (16384 - prodm) & 16383 : prodm;
  return ((s.yl >> 6) + prod) & 8191;
}

// Magnitude of the quantised difference for a code at scale y.
int InverseQuantise(int dqln, int y) {
  const int dql = (dqln + (y >> 2)) & 4095;
  if (dql >> 11) return 0;
  const int dex = (dql >> 7) & 15;
  const int dqt = 128 + (dql & 127);
  return (dqt << 7) >> (14 - dex);
}

int LimitA2(int a2t) {
  if (a2t >= 32768 && a2t <= 53248) return 53248;
  if (a2t >= 12288 && a2t <= 32767) return 12288;
  return a2t;
}

int UpdateA2(const G726Decoder::State& s, int pk0, int sigpk) {
  const int pks1 = pk0 ^ s.pk[0];
  const int pks2 = pk0 ^ s.pk[1];
  const int a1 = s.a[0], a2 = s.a[1];
  const int uga2a = pks2 ? 114688 : 16384;
  const int fa1 = (a1 >> 15) == 0 ? (a1 <= 8191 ? a1 << 2 : 8191 << 2)
                                  : (a1 >= 57345 ? (a1 << 2) & 131071 : 24577 << 2);
  const int fa = pks1 ? fa1 : (131072 - fa1) & 131071;
  const int uga2b = (uga2a + fa) & 131071;
  const int uga2 = sigpk ? 0 : (uga2b >> 16) ? (uga2b >> 7) + 64512 : uga2b >> 7;
  const int ula2 = (a2 >> 15) ? (65536 - ((a2 >> 7) + 65024)) & 65535 : (65536 - (a2 >> 7)) & 65535;
  return LimitA2((a2 + ((uga2 + ula2) & 65535)) & 65535);
}

int UpdateA1(const G726Decoder::State& s, int pk0, int sigpk, int a2p) {
  const int a1 = s.a[0];
  const int uga1 = sigpk ? 0 : (pk0 ^ s.pk[0]) ? 65344 : 192;
  const int ula1 = (a1 >> 15) ? (65536 - ((a1 >> 8) + 65280)) & 65535 : (65536 - (a1 >> 8)) & 65535;
  const int a1t = (a1 + ((uga1 + ula1) & 65535)) & 65535;
  const int a1ul = (15360 + 65536 - a2p) & 65535;
  const int a1ll = (a2p + 65536 - 15360) & 65535;
  if (a1t >= 32768 && a1t <= a1ll) return a1ll;
  if (a1t >= a1ul && a1t <= 32767) return a1ul;
  return a1t;
}

// The zero coefficients leak by 2^-8, at 5 bits per code by 2^-9: the finer codes of that rate
// keep more of the predictor from sample to sample.
int UpdateB(int b, int dqnSign, int dqs, int dqmag, int bits) {
  const int ugb = dqmag == 0 ? 0 : (dqnSign ^ dqs) ? 65408 : 128;
  const int shift = bits == 5 ? 9 : 8;
  const int signFill = (65535 << (16 - shift)) & 65535;  // the sign bit shifted in from the top
  const int leak = (b >> 15) ? (b >> shift) + signFill : b >> shift;
  const int ulb = (65536 - leak) & 65535;
  return (b + ((ugb + ulb) & 65535)) & 65535;
}

bool Transition(const G726Decoder::State& s, int dqmag) {
  const int ylint = s.yl >> 15;
  const int ylfrac = (s.yl >> 10) & 31;
  const int thr1 = (32 + ylfrac) << ylint;
  const int thr2 = ylint > 9 ? 31 << 10 : thr1;
  const int dqthr = (thr2 + (thr2 >> 1)) >> 1;
  return s.td == 1 && dqmag > dqthr;
}

// New fast and slow scale factors after a code of multiplier wi at scale y.
void AdaptScale(G726Decoder::State& s, int wi, int y) {
  const int dif = ((wi << 5) + 131072 - y) & 131071;
  const int difsx = (dif >> 16) ? (dif >> 5) + 4096 : dif >> 5;
  const int yut = (y + difsx) & 8191;
  const int yup = std::clamp(yut, 544, 5120);
  const int dife = (yup + ((1048576 - s.yl) >> 6)) & 16383;
  const int difex = (dife >> 13) ? dife + 507904 : dife;
  s.yl = (s.yl + difex) & 524287;
  s.yu = yup;
}

// New speed control after a code of weight fi; tdp is the tone flag of this sample.
void AdaptSpeed(G726Decoder::State& s, int fi, int y, int tdp, bool tr) {
  const int difa = ((fi << 9) + 8192 - s.dms) & 8191;
  const int difax = (difa >> 12) ? (difa >> 5) + 3840 : difa >> 5;
  const int dmsp = (difax + s.dms) & 4095;
  const int difb = ((fi << 11) + 32768 - s.dml) & 32767;
  const int difbx = (difb >> 14) ? (difb >> 7) + 16128 : difb >> 7;
  const int dmlp = (difbx + s.dml) & 16383;
  const int difc = ((dmsp << 2) + 32768 - dmlp) & 32767;
  const int difcm = (difc >> 14) ? (32768 - difc) & 16383 : difc;
  const int ax = (y >= 1536 && difcm < (dmlp >> 3) && tdp == 0) ? 0 : 1;
  const int difd = ((ax << 9) + 2048 - s.ap) & 2047;
  const int difdx = (difd >> 10) ? (difd >> 4) + 896 : difd >> 4;
  const int app = (difdx + s.ap) & 1023;
  s.dms = dmsp;
  s.dml = dmlp;
  s.ap = tr ? 256 : app;
}

// Updates the predictor coefficients (all cleared on a transition); returns the tone flag.
int AdaptPredictor(G726Decoder::State& s, int bits, int dqs, int dqmag, int pk0, int sigpk, bool tr) {
  const int a2p = UpdateA2(s, pk0, sigpk);
  const int a1p = UpdateA1(s, pk0, sigpk, a2p);
  for (int i = 0; i < 6; ++i) s.b[i] = tr ? 0 : UpdateB(s.b[i], s.dq[i] >> 10, dqs, dqmag, bits);
  s.a[0] = tr ? 0 : a1p;
  s.a[1] = tr ? 0 : a2p;
  return (a2p >= 32768 && a2p < 53760) ? 1 : 0;
}

// One code through the decoder; returns the 16-bit reconstructed signal (two's complement).
int DecodeCode(G726Decoder::State& s, const G726Decoder::Rate& r, int code) {
  int sezi = 0;
  for (int i = 0; i < 6; ++i) sezi = (sezi + FloatMultiply(s.b[i], s.dq[i])) & 65535;
  int sei = sezi;
  for (int i = 0; i < 2; ++i) sei = (sei + FloatMultiply(s.a[i], s.sr[i])) & 65535;
  const int sez = SignExtend16(sezi) >> 1;
  const int se = SignExtend16(sei) >> 1;

  const int y = ScaleFactor(s);
  const int dqs = code >> (r.bits - 1);
  const int dqmag = InverseQuantise(r.dqln[code], y);
  const int dqi = dqs ? -dqmag : dqmag;
  const int sr = (dqi + se) & 65535;
  const int dqsez = (dqi + sez) & 65535;
  const int pk0 = dqsez >> 15;
  const int sigpk = dqsez == 0 ? 1 : 0;

  const bool tr = Transition(s, dqmag);
  const int tdp = AdaptPredictor(s, r.bits, dqs, dqmag, pk0, sigpk, tr);
  AdaptSpeed(s, r.f[code], y, tdp, tr);
  AdaptScale(s, r.w[code], y);
  s.td = tr ? 0 : tdp;

  for (int i = 5; i > 0; --i) s.dq[i] = s.dq[i - 1];
  s.dq[0] = ToFloat(dqs, dqmag);
  s.sr[1] = s.sr[0];
  const int srs = sr >> 15;
  s.sr[0] = ToFloat(srs, srs ? (65536 - sr) & 32767 : sr);
  s.pk[1] = s.pk[0];
  s.pk[0] = pk0;
  return SignExtend16(sr);
}

}  // namespace

int G726Decoder::CodeBits(int type) {
  // A negative type turns into a large one, outside both ranges.
  const auto t = static_cast<std::uint32_t>(type);
  if (t >= kItemG726First && t <= kItemG726Last) return static_cast<int>(t - kItemG726First) + 2;
  if (t >= kItemG726AltFirst && t <= kItemG726AltLast) return static_cast<int>(t - kItemG726AltFirst) + 2;
  return 0;
}

void G726Decoder::SetCodec(int type) {
  ResetBits();
  codecType_ = type;
  state_ = State{};
  const int bits = CodeBits(type);
  rate_ = bits ? &kRates[bits - 2] : nullptr;
}

void G726Decoder::ResetBits() {
  bitBuffer_ = 0;
  bitCount_ = 0;
}

bool G726Decoder::HasBitsLeft() const { return rate_ && bitCount_ >= rate_->bits; }

int G726Decoder::Decode(std::uint8_t* output, int& outputBytes, const std::uint8_t* input, int inputBytes) {
  const int capacity = outputBytes;
  outputBytes = 0;
  if (!rate_) return 0;
  const int bits = rate_->bits;
  const int usable = (bits & 1) ? 30 : 32;
  int used = 0;
  while (outputBytes + 2 <= capacity) {
    if (bitCount_ < bits) {
      if (inputBytes - used < 4) break;
      bitBuffer_ = plat::LoadBe32(input + used);
      bitCount_ = usable;
      used += 4;
    }
    bitCount_ -= bits;
    const int code = static_cast<int>((bitBuffer_ >> bitCount_) & ((1u << bits) - 1));
    const int sample = std::clamp(DecodeCode(state_, *rate_, code) * 4, -32768, 32767);
    plat::StoreLe16(output + outputBytes, static_cast<std::uint16_t>(sample));
    outputBytes += 2;
  }
  return used;
}
