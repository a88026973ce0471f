// cardgen: writes a recorder store with real H.264 video, PCM sound, GPS sentences, G-sensor
// samples and car data, from the demo description, a few flags or a description file.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Time.h"
#include "testdata/DescriptionText.h"
#include "testdata/FileBytes.h"
#include "testdata/SelfCheck.h"
#include "testdata/StoreBuilder.h"

namespace {

using namespace fixtures;

const char* const kUsage = R"(Usage: cardgen --demo OUT.sd
       cardgen [options] OUT
Writes a recorder store with real H.264 video, PCM sound, GPS sentences, G-sensor samples and car
data. OUT ending in .sd is a backup file, in .idx an index file with dcim/%08d.raw beside it;
any other name is a raw card image (play it as drive N with PLAYER_DRIVE_N=OUT). Dates are
written in the local time zone (TZ).
Options:
  --demo            the demo backup: two recordings of 20 s at 640x360 with sound, GPS route,
                    car data and car-info lines, the second an event recording
  --description FILE
                    read the description from FILE (format below)
  --recordings N    N recordings with default content (default 3 without --description)
  --seconds S       length of each recording in seconds (default 5)
  --capacity N      raw card: number of 16 MiB data blocks (default 8)
  --set KEY=VALUE   a recording key (see below) applied to every recording; may repeat
  --check           list the self-check findings; exit status 2 when there are any
  --help            this text
)";

struct Options {
  bool help = false;
  std::string out;
  std::string descriptionFile;
  bool demo = false;
  bool check = false;
  int recordings = -1;
  std::string seconds = "5";
  int capacity = 0;
  std::vector<std::string> sets;
};

bool EndsWith(const std::string& s, const char* tail) {
  const std::size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

StoreKind KindOfPath(const std::string& path) {
  if (EndsWith(path, ".sd")) return StoreKind::kSd;
  if (EndsWith(path, ".idx")) return StoreKind::kIdx;
  return StoreKind::kCard;
}

bool ParseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--help") {
      o.help = true;
    } else if (a == "--demo") {
      o.demo = true;
    } else if (a == "--check") {
      o.check = true;
    } else if (a == "--description" && hasValue) {
      o.descriptionFile = argv[++i];
    } else if (a == "--recordings" && hasValue) {
      o.recordings = std::atoi(argv[++i]);
    } else if (a == "--seconds" && hasValue) {
      o.seconds = argv[++i];
    } else if (a == "--capacity" && hasValue) {
      o.capacity = std::atoi(argv[++i]);
    } else if (a == "--set" && hasValue) {
      o.sets.push_back(argv[++i]);
    } else if (!a.empty() && a[0] != '-' && o.out.empty()) {
      o.out = a;
    } else {
      return false;
    }
  }
  return o.help || !o.out.empty();
}

bool ReadDescriptionFile(const std::string& path, StoreDescription& desc, std::string& error) {
  // ReadFileText gives no text for a file it cannot open; that case has an error of its own.
  errno = 0;
  if (!std::ifstream(path)) {
    error = "cannot read " + path + (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string());
    return false;
  }
  return ParseDescriptionText(ReadFileText(path), desc, &error);
}

bool MakeDescription(const Options& o, StoreDescription& desc, std::string& error) {
  if (o.demo) {
    desc = DemoDescription();
    desc.kind = KindOfPath(o.out);
    return true;
  }
  desc.kind = KindOfPath(o.out);
  if (!o.descriptionFile.empty() && !ReadDescriptionFile(o.descriptionFile, desc, error)) return false;
  if (o.recordings >= 0 || o.descriptionFile.empty()) {
    const int count = o.recordings >= 0 ? o.recordings : 3;
    desc.recordings.resize(static_cast<std::size_t>(count));
    for (RecordingDescription& r : desc.recordings) {
      if (!ApplyRecordingSetting(r, "seconds", o.seconds)) {
        error = "cannot read --seconds " + o.seconds;
        return false;
      }
    }
  }
  if (o.capacity > 0) desc.capacity = o.capacity;
  for (const std::string& set : o.sets) {
    const std::size_t eq = set.find('=');
    for (RecordingDescription& r : desc.recordings) {
      if (eq == std::string::npos || !ApplyRecordingSetting(r, set.substr(0, eq), set.substr(eq + 1))) {
        error = "cannot apply --set " + set;
        return false;
      }
    }
  }
  return true;
}

std::string LocalText(std::int64_t t) { return plat::LocalDateTimeText(t).value_or("-"); }

void PrintSummary(const Layout& layout) {
  static const char* const kKinds[] = {"raw card image", ".sd backup", ".idx index"};
  std::printf("wrote %s: %s, %d slots, generation 0x%08X\n", layout.path.c_str(),
              kKinds[static_cast<int>(layout.kind)], layout.capacity, layout.generation);
  for (std::size_t i = 0; i < layout.recordings.size(); ++i) {
    const RecordingInfo& r = layout.recordings[i];
    std::printf("recording %zu: slot %d, entry %u, chunks %u..%u, %s to %s, %d pictures %dx%d@%d, "
                "%d sound frames, event type %u with %zu events\n",
                i, r.entry.slot, r.entry.sequence, r.chunks.front().sequence, r.chunks.back().sequence,
                LocalText(r.chunks.front().time).c_str(), LocalText(r.chunks.back().time).c_str(), r.pictures,
                r.video.width, r.video.height, r.video.fps, r.soundFrames, r.entry.type, r.entry.events.size());
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseArgs(argc, argv, o)) {
    std::fprintf(stderr, "%s", kUsage);
    return 1;
  }
  if (o.help) {
    std::printf("%s\n%s", kUsage, DescriptionTextHelp());
    return 0;
  }
  StoreDescription desc;
  std::string error;
  if (!MakeDescription(o, desc, error)) {
    std::fprintf(stderr, "cardgen: %s\n", error.c_str());
    return 1;
  }
  const std::optional<Layout> layout = BuildStore(desc, o.out, &error);
  if (!layout) {
    std::fprintf(stderr, "cardgen: %s\n", error.c_str());
    return 1;
  }
  PrintSummary(*layout);
  const CheckReport report = CheckStore(*layout);
  std::printf("self-check: %zu findings\n", report.findings.size());
  if (o.check) std::printf("%s", report.Describe().c_str());
  return o.check && !report.Clean() ? 2 : 0;
}
