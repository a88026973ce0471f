// Feeds arbitrary bytes, in a block of exactly their length, to every parser of recorder texts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/gps/CarDataFrame.h"
#include "engine/gps/CarInfoLine.h"
#include "engine/gps/DecimalNumber.h"
#include "engine/gps/GpsTrack.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  GpsFix fix;
  GpsTrack::ParseRmc(text, fix);
  double lat = 0, lon = 0, speed = 0, course = 0;
  ParseRmcPosition(text, lat, lon, speed, course);

  GpsTrack track;
  track.SetRecorderTime(1700000000);
  track.AddSentence(text);
  track.AddSentence(text);

  CarInfo info;
  ParseCarInfoLine(text, info, CString(L"TestCarInfo"));

  CarDataRecord record;
  ParseCarDataFrame(data, size, 1, record);

  ParseDecimalPrefix(text);
  return 0;
}
