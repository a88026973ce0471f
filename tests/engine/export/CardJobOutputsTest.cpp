// The cardjob tool's outputs where they could do harm: names that are the store (links to it) or
// no file, a full file system, signals in the middle of an export, a GPS text job with nothing to
// read; what it says then, and its JSON for names with control characters.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "testdata/FileBytes.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "tests/engine/export/JobTestSupport.h"
#include "tests/support/Eventually.h"

namespace fs = std::filesystem;
using jobtest::NamesIn;
using Args = std::vector<std::string>;

namespace {

// cardjob as a child process, its output and messages in files of `logs`; killed at the latest
// after a bound, so that a tool that hangs fails the test instead of hanging it.
struct CardJob {
  CardJob(Args args, const fixtures::ScratchDir& logs) : out(logs.File("out")), err(logs.File("err")) {
    args.insert(args.begin(), CARDJOB_PATH);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&files);
  }
  ~CardJob() { Wait(); }
  int Wait() {
    int status = -1;
    if (pid > 0 && !plat::test::Eventually([&] { return waitpid(pid, &status, WNOHANG) == pid; }, std::chrono::seconds(60))) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
    pid = -1;
    return status;
  }
  std::string Json() const { return fixtures::ReadFileText(out); }
  std::string Message() const { return fixtures::ReadFileText(err); }
  pid_t pid = -1;
  std::string out, err;
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Runs the job to its end: refused (status 1) with `why` said, keeping no file.
void ExpectRefused(const Args& args, const std::string& why, const fixtures::ScratchDir& logs) {
  CardJob job(args, logs);
  const int status = job.Wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_TRUE(Has(job.Message(), why)) << job.Message();
  EXPECT_TRUE(Has(job.Json(), "\"files\": []}")) << job.Json();
}

std::vector<std::uint8_t> Bytes(const std::string& path) { return fixtures::ReadFileBytes(path); }

// A file of the folder, other than the store, has grown past 64 KiB: the export is writing.
bool Writing(const std::string& dir) {
  for (const auto& e : fs::directory_iterator(dir)) {
    std::error_code error;
    if (e.path().filename() != "s.sd" && fs::file_size(e.path(), error) > 65536) return true;
  }
  return false;
}

}  // namespace

TEST(CardJobOutputs, AnOutputThatIsAFileTheJobReadsOrIsNoFileIsRefusedBeforeAnythingIsWritten) {
  fixtures::ScratchDir dir("cardjob-names"), logs("cardjob-logs");
  const auto sd = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 2.0), dir.File("s.sd"));
  fs::create_directories(dir.File("card"));
  const auto idx = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kIdx, 1, 2.0), dir.File("card/i.idx"));
  ASSERT_TRUE(sd && idx);
  const std::string raw = dir.File("card/dcim/00000001.raw");
  const std::vector<std::uint8_t> store = Bytes(sd->path), data = Bytes(raw);
  fs::create_symlink(sd->path, dir.File("link.avi"));
  fs::create_hard_link(sd->path, dir.File("hard.avi"));
  fs::create_symlink(sd->path, dir.File("side.srt"));
  ASSERT_EQ(mkfifo(dir.File("pipe.avi").c_str(), 0644) | mkfifo(dir.File("fifo.srt").c_str(), 0644), 0);
  fs::create_directories(dir.File("folder.sd"));
  const std::vector<std::string> before = NamesIn(dir.Path());
  const auto avi = [&](const std::string& name) { return Args{"avi", sd->path, dir.File(name), "--entry", "1", "--json"}; };
  ExpectRefused(avi("link.avi"), "link.avi is the same file as " + sd->path + ", which the job reads", logs);
  ExpectRefused(avi("hard.avi"), "hard.avi is the same file as " + sd->path, logs);
  ExpectRefused(avi("side.avi"), "side.srt is the same file as " + sd->path, logs);
  ExpectRefused(avi("pipe.avi"), "pipe.avi exists and is not a regular file", logs);
  ExpectRefused(avi("fifo.avi"), "fifo.srt exists and is not a regular file", logs);
  ExpectRefused({"backup", sd->path, dir.File("folder.sd"), "--json"}, "folder.sd exists and is not a regular file", logs);
  ExpectRefused({"backup", idx->path, raw, "--json"}, "00000001.raw is the same file as ", logs);
  EXPECT_EQ(NamesIn(dir.Path()), before);

  // The GPS text file's name is made from the first fix: a link or a FIFO of that name is refused.
  const std::string texts = dir.File("texts");
  ASSERT_EQ(CardJob({"gps", sd->path, texts, "--mode", "0"}, logs).Wait(), 0);
  ASSERT_EQ(NamesIn(texts).size(), 1u);
  const std::string name = texts + "/" + NamesIn(texts).front();
  fs::remove(name);
  fs::create_symlink(sd->path, name);
  ExpectRefused({"gps", sd->path, texts, "--mode", "0", "--json"}, " is the same file as " + sd->path, logs);
  fs::remove(name);
  ASSERT_EQ(mkfifo(name.c_str(), 0644), 0);
  ExpectRefused({"gps", sd->path, texts, "--mode", "0", "--json"}, " exists and is not a regular file", logs);
  EXPECT_EQ(NamesIn(texts).size(), 1u);
  EXPECT_TRUE(Bytes(sd->path) == store && Bytes(raw) == data);
}

TEST(CardJobOutputs, AnExportKilledOrStoppedBySignalLeavesNothingUnderItsNames) {
  fixtures::ScratchDir dir("cardjob-signals"), logs("cardjob-logs");
  const auto sd = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 20.0), dir.File("s.sd"));
  ASSERT_TRUE(sd);
  for (const int signal : {SIGKILL, SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    // Re-encoding takes long enough to be caught in the middle.
    CardJob job({"avi", sd->path, dir.File("clip.avi"), "--entry", "1", "--reencode", "--json"}, logs);
    ASSERT_TRUE(plat::test::Eventually([&] { return Writing(dir.Path()); }));
    kill(job.pid, signal);
    const int status = job.Wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_FALSE(fs::exists(dir.File("clip.avi")));
    for (const std::string& left : NamesIn(dir.Path())) {
      if (left == "s.sd") continue;
      // Killed, only a temporary file is left, which no one takes for a whole export.
      EXPECT_TRUE(signal == SIGKILL && left.starts_with("clip.avi.") && left.ends_with(".part")) << left;
      fs::remove(dir.File(left));
    }
    if (signal == SIGKILL) continue;
    EXPECT_TRUE(Has(job.Json(), "{\"result\": \"cancelled\"") && Has(job.Json(), "\"files\": []}")) << job.Json();
    EXPECT_TRUE(Has(job.Message(), std::string("stopped by SIG") + sigabbrev_np(signal))) << job.Message();
  }
}

TEST(CardJobOutputs, AFailedJobSaysWhyAndKeepsNothingAndTheJsonEscapesEveryControlCharacter) {
  fixtures::ScratchDir dir("cardjob-fails"), logs("cardjob-logs");
  fixtures::StoreDescription noGps = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 2.0);
  noGps.recordings[0].hasGps = false;
  const auto blind = fixtures::BuildStore(noGps, dir.File("blind.sd"));
  const auto sd = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 2, 4.0), dir.File("s.sd"));
  ASSERT_TRUE(blind && sd);
  ExpectRefused({"gps", blind->path, dir.File("texts"), "--mode", "1", "--json"}, "gps failed: no GPS fix could be read", logs);
  EXPECT_TRUE(NamesIn(dir.File("texts")).empty());

  const std::string odd = dir.File("a\x01" "b\tc\nd\"e\\f\x1f\x7f.sd");
  CardJob backup({"backup", sd->path, odd, "--entries", "2", "--json"}, logs);
  EXPECT_EQ(backup.Wait(), 0) << backup.Message();
  EXPECT_TRUE(Has(backup.Json(), "[\"" + dir.Path() + "/a\\u0001b\\u0009c\\u000Ad\\\"e\\\\f\\u001F\\u007F.sd\"]}"))
      << backup.Json();
  EXPECT_TRUE(fs::exists(odd));

  // A file system too small for either job.
  const std::string full = dir.File("full");
  fs::create_directories(full);
  if (mount("tmpfs", full.c_str(), "tmpfs", 0, "size=256k") != 0) GTEST_SKIP() << "no full-disk case: mount refused";
  ExpectRefused({"avi", sd->path, full + "/clip.avi", "--entry", "1", "--json"}, "clip.avi could not be written: No space", logs);
  ExpectRefused({"backup", sd->path, full + "/copy.sd", "--json"}, "copy.sd could not be written: No space", logs);
  EXPECT_TRUE(NamesIn(full).empty());
  umount2(full.c_str(), MNT_DETACH);
}
