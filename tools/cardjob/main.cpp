// cardjob: runs a job of the player's engine on a card, `.sd` backup or `.idx` index, headless,
// as the card tools start them:
//   cardjob backup SOURCE OUT.sd [--entries 1,3] [--json]
//   cardjob gps SOURCE OUTDIR --mode 0|1|2 [--entries 1,3] [--name NAME] [--json]
//   cardjob avi SOURCE OUT.avi --entry N [--reencode] [--json]
//   cardjob --help
// SOURCE is a `.sd` or `.idx` path, or dvk2://N for drive N. Entry numbers are positions in the
// store's list, from 1; without --entries every entry is taken. With --json the outcome is
// printed as {"result": "done"|"failed"|"cancelled", "progressMessages": n, "leftOut": [...],
// "endMessages": n, "files": [paths kept]}; every control character of a path is escaped, and a
// byte that is not UTF-8 is written as the escape of a lone surrogate U+DC80..U+DCFF. A backup
// that had to leave recordings out (none of their chunks could be read) says so on stderr, counts
// them in its summary and lists them under "leftOut", each as {"recording": its number,
// "sequence": n, "start": "YYYY-MM-DD hh:mm:ss", "reason": text}. Outputs are written under
// temporary names and take their own when the job is done: a job that fails or is stopped keeps
// none, except an export too short for an AVI file (25 pictures), which keeps its SRT and CSV
// files. An output named like a file the job reads, or like something that is not a regular file,
// is refused before the job starts. The exit status is 0 only for a job done, 1 for another
// result (stderr says why) and 2 for a command line or source that cannot be used (the message
// says why). SIGINT, SIGTERM and SIGHUP (a closed terminal) stop the job; the outcome is printed,
// and the tool then ends by that signal (unless the job was done before it came).
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/IbpCtrl.h"
#include "platform/File.h"
#include "platform/Time.h"

namespace {

const char* const kUsage =
    "usage: cardjob backup SOURCE OUT.sd [--entries 1,3] [--json]\n"
    "       cardjob gps SOURCE OUTDIR --mode 0|1|2 [--entries 1,3] [--name NAME] [--json]\n"
    "       cardjob avi SOURCE OUT.avi --entry N [--reencode] [--json]\n"
    "       cardjob --help\n"
    "SOURCE: file.sd, file.idx or dvk2://N (PLAYER_DRIVE_N=FILE reads a card image as drive N).\n"
    "Entry numbers count from 1; without --entries every entry is taken. A GPS text --name is a\n"
    "file name without folders.\n";
const char* const kDefaultGpsName = "gps_";
constexpr DWORD kWaitStepMs = 1;

struct Options {
  std::string job;
  std::string source;
  std::string out;
  std::vector<int> entries;  // positions from 1
  int mode = -1;
  std::string name = kDefaultGpsName;
  bool reencode = false;
  bool json = false;
};

bool ParseNumber(const std::string& text, int* out) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  *out = std::stoi(text);
  return true;
}

bool ParseEntries(const std::string& text, std::vector<int>* out) {
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = text.find(',', from);
    int n = 0;
    if (!ParseNumber(text.substr(from, comma - from), &n) || n < 1) return false;
    out->push_back(n);
    if (comma == std::string::npos) return true;
    from = comma + 1;
  }
}

bool ParseOption(int argc, char** argv, int& i, Options& o) {
  const std::string arg = argv[i];
  const bool hasValue = i + 1 < argc;
  if (arg == "--json") {
    o.json = true;
  } else if (arg == "--reencode" && o.job == "avi") {
    o.reencode = true;
  } else if (arg == "--entries" && o.job != "avi" && hasValue) {
    return ParseEntries(argv[++i], &o.entries);
  } else if (arg == "--entry" && o.job == "avi" && hasValue) {
    int n = 0;
    if (!ParseNumber(argv[++i], &n) || n < 1) return false;
    o.entries = {n};
  } else if (arg == "--mode" && o.job == "gps" && hasValue) {
    return ParseNumber(argv[++i], &o.mode);
  } else if (arg == "--name" && o.job == "gps" && hasValue) {
    o.name = argv[++i];
  } else {
    return false;
  }
  return true;
}

bool ParseArgs(int argc, char** argv, Options& o) {
  if (argc < 4) return false;
  o.job = argv[1];
  o.source = argv[2];
  o.out = argv[3];
  if (o.job != "backup" && o.job != "gps" && o.job != "avi") return false;
  for (int i = 4; i < argc; ++i) {
    if (!ParseOption(argc, argv, i, o)) return false;
  }
  if (o.job == "gps" && (o.mode < kGpsTextFileOfFix || o.mode > kGpsTextFileOfDay)) return false;
  return o.job != "avi" || o.entries.size() == 1;
}

// Counts what the engine posts.
class Messages : public plat::IMessageRouter {
 public:
  bool Post(HWND, UINT msg, WPARAM, LPARAM) override {
    if (msg == WM_PLAYER_SENSORDATA) ++progress;
    if (msg == WM_PLAYER_END) ++ends;
    return true;
  }
  LRESULT Send(HWND, UINT, WPARAM, LPARAM) override { return 0; }
  bool Show(HWND, int) override { return true; }

  std::atomic<int> progress{0};
  std::atomic<int> ends{0};
};

// The signal that asked the job to stop; 0 while none did.
volatile std::sig_atomic_t g_stopSignal = 0;

void AskToStop(int signal) { g_stopSignal = signal; }

// SIGINT, SIGTERM and SIGHUP stop the job; a second one ends the tool at once. Installed before
// anything (the sound library among them) could install handlers of its own.
void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = AskToStop;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
}

const char* StopSignalName(int signal) {
  switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGHUP: return "SIGHUP";
    default: return "SIGTERM";
  }
}

// The recordings chosen: the store's entries, and their numbers in its list.
struct Chosen {
  std::vector<IndexEntry*> entries;
  std::vector<int> numbers;
};

// The chosen entries of the open store; false, with the reason told, when the store cannot be
// opened or a position lies past its end.
bool ChooseEntries(CIbpCtrl& engine, const Options& o, Chosen* out) {
  std::vector<IndexEntry*> all;
  for (IndexEntry* e = engine.OpenStore(); e; e = engine.GetNextEntry(e)) all.push_back(e);
  if (all.empty()) {
    std::fprintf(stderr, "cardjob: %s cannot be opened: %s\n", o.source.c_str(),
                 StoreOpenFailureText(engine.Source().OpenFailure()));
    return false;
  }
  std::vector<int> numbers = o.entries;
  if (numbers.empty()) {
    for (std::size_t i = 1; i <= all.size(); ++i) numbers.push_back(static_cast<int>(i));
  }
  for (int p : numbers) {
    if (static_cast<std::size_t>(p) > all.size()) {
      std::fprintf(stderr, "cardjob: %s has %zu recordings, no recording %d\n", o.source.c_str(), all.size(), p);
      return false;
    }
    out->entries.push_back(all[static_cast<std::size_t>(p) - 1]);
  }
  out->numbers = std::move(numbers);
  return true;
}

EngineStart StartJob(CIbpCtrl& engine, const Options& o, const std::vector<IndexEntry*>& entries) {
  if (o.job == "backup") {
    return engine.StartBackup(CString(o.out), entries.data(), static_cast<int>(entries.size()));
  }
  if (o.job == "gps") {
    if (!plat::MakeDirs(o.out) || !engine.StartRawExport(1, CString(o.name), o.mode)) {
      std::fprintf(stderr, "cardjob: the folder %s cannot be made, or the name %s is not a file name\n", o.out.c_str(),
                   o.name.c_str());
      return EngineStart::kFailed;
    }
    return engine.StartBackup(CString(o.out + "/" + o.name), entries.data(), static_cast<int>(entries.size()));
  }
  engine.SetExportDecode(o.reencode);
  const IndexEntry* e = entries.front();
  return engine.OpenExport(CString(o.out), entries.front(), 0, e->StartTime(), e->EndTime());
}

// Waits for the job's end; a stop signal closes the engine, which stops the job.
JobResult AwaitJob(CIbpCtrl& engine, const Messages& messages) {
  while (messages.ends.load() == 0 && g_stopSignal == 0) Sleep(kWaitStepMs);
  if (messages.ends.load() == 0) engine.Close();
  return engine.GetJobResult();
}

// Why the job did not end done, on stderr (a job refused before the engine saw it has said so).
void TellWhy(const Options& o, JobResult result, const JobFailureInfo& failure) {
  if (result == JobResult::kDone) return;
  if (g_stopSignal != 0) {
    std::fprintf(stderr, "cardjob: %s stopped by %s; no output was kept\n", o.job.c_str(),
                 StopSignalName(g_stopSignal));
  } else if (result == JobResult::kCancelled) {
    std::fprintf(stderr, "cardjob: %s stopped before its end; no output was kept\n", o.job.c_str());
  } else if (failure.kind != JobFailure::kNone) {
    std::fprintf(stderr, "cardjob: %s failed: %s\n", o.job.c_str(), JobFailureText(failure).c_str());
  }
}

const char* ResultText(JobResult result) {
  switch (result) {
    case JobResult::kDone: return "done";
    case JobResult::kCancelled: return "cancelled";
    default: return "failed";
  }
}

// The length of the well-formed UTF-8 sequence at text[i]; 0 when the byte there starts none.
std::size_t Utf8Length(const std::string& text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  const std::size_t n = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                      : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
  if (n == 0 || i + n > text.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  // Overlong forms, surrogates and values past U+10FFFF are no UTF-8.
  const unsigned char second = byte(i + 1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
      (lead == 0xF4 && second > 0x8F)) {
    return 0;
  }
  return n;
}

// A JSON string of a path: quotes, backslashes and every control character escaped; a byte that
// starts no UTF-8 sequence becomes the lone surrogate U+DC00 + byte, as readers that keep file
// names as bytes expect.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = Utf8Length(text, i);
    char escape[8];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F || n == 0) {
      std::snprintf(escape, sizeof escape, "\\u%04X", n == 0 ? 0xDC00 + c : c);
      out += escape;
    } else {
      out.append(text, i, n);
    }
    i += n == 0 ? 1 : n;
  }
  return out + "\"";
}

// A recording the backup left out, as the tool names it.
struct LeftOut {
  int number = 0;  // in the store's list
  std::uint32_t sequence = 0;
  std::string start;
  const char* reason = "";
};

std::vector<LeftOut> LeftOutOf(const std::vector<LeftOutEntry>& leftOut, const Chosen& chosen) {
  std::vector<LeftOut> out;
  for (const LeftOutEntry& l : leftOut) {
    const int number = l.position < chosen.numbers.size() ? chosen.numbers[l.position] : 0;
    out.push_back({number, l.entry.Sequence(), plat::LocalDateTimeText(l.entry.StartTime()).value_or(""),
                   LeftOutReasonText(l.reason)});
  }
  return out;
}

// Whatever the result, a recording left out is never passed over in silence.
void TellLeftOut(const Options& o, const std::vector<LeftOut>& leftOut) {
  for (const LeftOut& l : leftOut) {
    std::fprintf(stderr, "cardjob: %s left out recording %d (%s): %s\n", o.job.c_str(), l.number, l.start.c_str(),
                 l.reason);
  }
}

void Report(const Options& o, JobResult result, const Messages& messages, const std::vector<std::string>& files,
            const std::vector<LeftOut>& leftOut) {
  if (!o.json) {
    std::printf("%s: %s, %d progress messages, %zu files", o.job.c_str(), ResultText(result), messages.progress.load(),
                files.size());
    if (!leftOut.empty()) std::printf(", %zu recording%s left out", leftOut.size(), leftOut.size() == 1 ? "" : "s");
    std::printf("\n");
    for (const std::string& f : files) std::printf("  %s\n", f.c_str());
    return;
  }
  std::printf("{\"result\": \"%s\", \"progressMessages\": %d, \"leftOut\": [", ResultText(result),
              messages.progress.load());
  for (std::size_t i = 0; i < leftOut.size(); ++i) {
    const LeftOut& l = leftOut[i];
    std::printf("%s{\"recording\": %d, \"sequence\": %u, \"start\": \"%s\", \"reason\": \"%s\"}", i ? ", " : "",
                l.number, l.sequence, l.start.c_str(), l.reason);
  }
  std::printf("], \"endMessages\": %d, \"files\": [", messages.ends.load());
  for (std::size_t i = 0; i < files.size(); ++i) std::printf("%s%s", i ? ", " : "", Quoted(files[i]).c_str());
  std::printf("]}\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  Options o;
  if (!ParseArgs(argc, argv, o)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  CatchStopSignals();
  Messages messages;
  plat::SetMessageRouter(&messages);
  IbpCtrlPtr engine(CIbpCtrl::Create());
  const int type = engine->SetSource(CString(o.source));
  if (type != kSourceRawCard && type != kSourceBackupFile && type != kSourceIndexFile) {
    std::fprintf(stderr, "cardjob: %s is not a .sd or .idx file nor dvk2://N\n", o.source.c_str());
    return 2;
  }
  Chosen chosen;
  if (!ChooseEntries(*engine, o, &chosen)) return 2;
  engine->SetNotifyWindow(reinterpret_cast<HWND>(1), 0);
  // An export's CSV file shows the times the window shows with the PC's own zone chosen.
  engine->SetTimeZoneOffset(plat::LocalUtcOffsetSeconds());
  const JobResult result = StartJob(*engine, o, chosen.entries) == EngineStart::kStarted ? AwaitJob(*engine, messages)
                                                                                        : JobResult::kFailed;
  engine->Close();
  TellWhy(o, result, engine->GetJobFailure());
  const std::vector<LeftOut> leftOut = LeftOutOf(engine->GetJobLeftOut(), chosen);
  TellLeftOut(o, leftOut);
  Report(o, result, messages, engine->GetJobFiles(), leftOut);
  engine.reset();
  plat::SetMessageRouter(nullptr);
  if (g_stopSignal != 0 && result != JobResult::kDone) {
    std::fflush(stdout);
    std::signal(g_stopSignal, SIG_DFL);
    std::raise(g_stopSignal);
  }
  return result == JobResult::kDone ? 0 : 1;
}
