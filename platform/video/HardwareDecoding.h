// Decoding on the graphics card: FFmpeg's VA-API acceleration where a device opens. It is
// optional in every respect: without a device, or for a stream the card cannot decode, the
// decoder goes on in software and nothing is reported.
#pragma once

struct AVCodecContext;
struct AVFrame;

namespace plat {

// Attaches the graphics card's decoding device to a codec context that is not open yet. False
// when the codec has no such acceleration or no device opens; the context is then unchanged.
bool EnableHardwareDecoding(AVCodecContext& context);
// True when the picture lies in the graphics card's memory.
bool IsHardwarePicture(const AVFrame& picture);
// Copies such a picture into system memory, replacing what `out` held; false when that fails.
bool DownloadPicture(const AVFrame& picture, AVFrame& out);

}  // namespace plat
