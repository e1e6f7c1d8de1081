#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "frontend/GameData.h"
#include "harness/Harness.h"

namespace fs = std::filesystem;

namespace {
const char* const kSave = "Resources/Data/GameData.txt";

// A private run folder whose save file a test sets and inspects.
struct SaveFolder {
  void Save(const std::string& text) const { folder.Write(kSave, text); }
  std::string Saved() const { return folder.Read(kSave); }
  // The files of the data folder other than those the copy started with.
  std::vector<std::string> StrayFiles() const {
    std::vector<std::string> stray;
    for (const auto& entry : fs::directory_iterator("Resources/Data")) {
      std::string name = entry.path().filename().string();
      if (name.find("GameData.txt.") != std::string::npos) stray.push_back(name);
    }
    return stray;
  }
  // Dates every stray file two minutes back, as a leftover of an earlier run.
  void AgeStrayFiles() const {
    for (const std::string& name : StrayFiles()) harness::AgeFile("Resources/Data/" + name, 120);
  }
  harness::TempRunFolder folder;
};

// What ReadValue leaves in an integer that held start before the call.
int Read(const char* key, int start = -777) {
  int value = start;
  ReadValue(key, value);
  return value;
}

// Runs body in a child process; as root the child gives up its privileges
// (after the folder is handed to the unprivileged user) so that file
// permissions apply to it. Returns the child's exit status.
int RunInChild(const std::function<int()>& body, bool unprivileged = false) {
  constexpr uid_t kNobody = 65534;
  if (unprivileged && geteuid() == 0) {
    for (const auto& entry : fs::recursive_directory_iterator(fs::current_path())) {
      if (!entry.is_symlink()) lchown(entry.path().c_str(), kNobody, kNobody);
    }
    lchown(fs::current_path().c_str(), kNobody, kNobody);
  }
  std::fflush(stdout);
  pid_t child = fork();
  if (child == 0) {
    if (unprivileged && geteuid() == 0) {
      if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(99);
    }
    int status = body();
    std::fflush(stdout);
    _exit(status);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::string kPairs = "Music\n40\nFX\n70\nLevel Reached\n3\n";
}  // namespace

TEST(GameData, ReadsTheValueAfterTheExactKey) {
  SaveFolder save;
  save.Save(kPairs);
  EXPECT_EQ(Read("FX"), 70);
  EXPECT_EQ(Read("Music"), 40);
  EXPECT_EQ(Read("Level Reached"), 3);
  // Keys match the whole line, byte for byte, case included.
  for (const char* key : {"music", "MUSIC", "Musi", "Music ", " Music", "FX\r", "", "Level"}) {
    EXPECT_EQ(Read(key), -777) << "'" << key << "'";
  }
  // Value lines are compared too: a key that equals a value line reads the
  // line after it.
  EXPECT_EQ(Read("70"), -777) << "'Level Reached' is not a number";
  EXPECT_EQ(Read("40"), -777);
  save.Save("Alpha\nBeta\n9\n");
  EXPECT_EQ(Read("Alpha"), -777) << "the value line of Alpha is 'Beta'";
  EXPECT_EQ(Read("Beta"), 9);
}

TEST(GameData, ValueLinesParseAsFormattedIntegers) {
  SaveFolder save;
  struct Case {
    const char* line;
    int want;  // -777: out unchanged
  } cases[] = {
      {"12", 12},
      {" 12", 12},
      {"\t 12", 12},
      {"12abc", 12},
      {"-3", -3},
      {"+8", 8},
      {"007", 7},
      {"0", 0},
      {"12 34", 12},
      {"-0", 0},
      {"abc", -777},
      {"", -777},
      {" ", -777},
      {"-", -777},
      {"+", -777},
      {"- 3", -777},
      {"--3", -777},
      {"x12", -777},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"2147483648", -777},
      {"-2147483649", -777},
      {"99999999999", -777},
      {"99999999999999999999999999", -777},
      {"00000000000000000000042", 42},
  };
  for (const Case& c : cases) {
    save.Save(std::string("FX\n") + c.line + "\nMusic\n5\n");
    EXPECT_EQ(Read("FX"), c.want) << "value line '" << c.line << "'";
  }
}

TEST(GameData, LineEndingsAndTheLastLine) {
  SaveFolder save;
  save.Save("Music\r\n40\r\nFX\r\n70\r\n");
  EXPECT_EQ(Read("Music"), 40) << "CR LF";
  EXPECT_EQ(Read("FX"), 70);
  save.Save("Music\n40\nFX\n70");
  EXPECT_EQ(Read("FX"), 70) << "last line without a line feed";
  save.Save("Music\n40\nFX");
  EXPECT_EQ(Read("FX"), -777) << "key on the last line has no value";
  save.Save("Music\n40\nFX\n");
  EXPECT_EQ(Read("FX"), -777);
  save.Save("Music\n\n40\n");
  EXPECT_EQ(Read("Music"), -777) << "the value is the very next line";
}

TEST(GameData, FirstOccurrenceOfAKeyIsTheOneRead) {
  SaveFolder save;
  save.Save("FX\n11\nFX\n22\n");
  EXPECT_EQ(Read("FX"), 11);
  save.Save("FX\nbad\nFX\n22\n");
  EXPECT_EQ(Read("FX"), -777) << "later occurrences are ignored even when the first is bad";
}

TEST(GameData, MissingFileOrFolderReadsAsEmpty) {
  SaveFolder save;
  std::remove(kSave);
  EXPECT_EQ(Read("Music", kDefaultMusic), kDefaultMusic);
  fs::remove_all("Resources/Data");
  EXPECT_EQ(Read("Music", kDefaultMusic), kDefaultMusic);
  harness::CaptureStdout out;
  WriteValue("Music", 5);
  EXPECT_NE(out.Text().find("could not be written"), std::string::npos) << "no folder to write in";
  EXPECT_FALSE(fs::exists(kSave));
}

TEST(GameData, BinaryBytesAreOrdinaryLineContent) {
  SaveFolder save;
  const char bytes[] = "Mu\0sic\n1\nMusic\0\n2\n\xff\xfe\n3\nMusic\n4\nFX\n5\0x\n";
  std::string text(bytes, sizeof bytes - 1);
  save.Save(text);
  EXPECT_EQ(Read("Music"), 4) << "a NUL inside a line is part of the line";
  EXPECT_EQ(Read("Mu"), -777);
  EXPECT_EQ(Read("FX"), 5);
  WriteValue("Music", 9);
  std::string want = text;
  want.replace(want.find("Music\n4"), 7, "Music\n9");
  EXPECT_EQ(save.Saved(), want);
}

TEST(GameData, WriteChangesOnlyTheValueLinesOfTheKey) {
  SaveFolder save;
  save.Save(kPairs);
  WriteValue("FX", 55);
  EXPECT_EQ(save.Saved(), "Music\n40\nFX\n55\nLevel Reached\n3\n");
  EXPECT_EQ(Read("FX"), 55);
  WriteValue("Music", -12);
  EXPECT_EQ(save.Saved(), "Music\n-12\nFX\n55\nLevel Reached\n3\n");
  WriteValue("Level Reached", INT_MIN);
  EXPECT_EQ(Read("Level Reached"), INT_MIN);
  EXPECT_TRUE(save.StrayFiles().empty()) << "no temporary file is left behind";
}

TEST(GameData, WriteEndsEveryLineWithALineFeed) {
  SaveFolder save;
  save.Save("Music\r\n40\r\nFX\r\n70");
  WriteValue("Music", 41);
  EXPECT_EQ(save.Saved(), "Music\n41\nFX\n70\n") << "CR LF becomes LF; the last line gets one";

  save.Save("Music\n40\nFX\n70");
  WriteValue("Level3 Score", 8);
  EXPECT_EQ(save.Saved(), "Music\n40\nFX\n70\n") << "a missing key is not added";

  save.Save("Music\n40\n\n\nFX\n70\n");
  WriteValue("Nothing", 1);
  EXPECT_EQ(save.Saved(), "Music\n40\n\n\nFX\n70\n") << "empty lines stay";

  save.Save("Music\r\r\n5\nMusic\n40\n\r\r\n");
  WriteValue("Music", 41);
  EXPECT_EQ(save.Saved(), "Music\r\r\n5\nMusic\n41\n\r\r\n")
      << "a line ending in two carriage returns is not the key and stays so";
  EXPECT_EQ(Read("Music"), 41);
}

TEST(GameData, WriteAtTheEdgesOfTheFile) {
  SaveFolder save;
  save.Save("Music\n40\nFX");
  WriteValue("FX", 66);
  EXPECT_EQ(save.Saved(), "Music\n40\nFX\n66\n") << "a key on the last line gets its value";

  save.Save("FX\n11\nMusic\n1\nFX\n22\n");
  WriteValue("FX", 33);
  EXPECT_EQ(save.Saved(), "FX\n33\nMusic\n1\nFX\n33\n") << "every occurrence is rewritten";

  save.Save("FX\nabc\n");
  WriteValue("FX", 7);
  EXPECT_EQ(save.Saved(), "FX\n7\n") << "a value line that is not a number is replaced";

  save.Save("FX\nFX\n5\n");
  WriteValue("FX", 7);
  EXPECT_EQ(save.Saved(), "FX\n7\n5\n") << "the line after a key is its value, whatever it holds";

  save.Save("");
  WriteValue("FX", 7);
  EXPECT_EQ(save.Saved(), "");
}

TEST(GameData, WriteToAMissingFileLeavesAnEmptyFile) {
  SaveFolder save;
  std::remove(kSave);
  mode_t oldMask = umask(022);
  WriteValue("Music", 50);
  umask(oldMask);
  ASSERT_TRUE(fs::exists(kSave));
  EXPECT_EQ(save.Saved(), "");
  EXPECT_EQ(Read("Music"), -777);
  struct stat status {};
  ASSERT_EQ(stat(kSave, &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0644u) << "a new save gets the usual permissions";
}

TEST(GameData, WriteKeepsTheFilePermissions) {
  SaveFolder save;
  save.Save(kPairs);
  chmod(kSave, 0640);
  WriteValue("Music", 1);
  struct stat status {};
  ASSERT_EQ(stat(kSave, &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  EXPECT_EQ(Read("Music"), 1);
}

TEST(GameData, UnwritableSaveOrFolderKeepsTheOldSave) {
  SaveFolder save;
  save.Save(kPairs);

  // A read-only save file.
  chmod(kSave, 0444);
  {
    harness::CaptureStdout out;
    int status = RunInChild(
        [] {
          int value = 0;
          ReadValue("FX", value);  // reading a read-only save still works
          WriteValue("FX", 1);
          return value == 70 ? 0 : 1;
        },
        true);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.Text().find("Save file 'Resources/Data/GameData.txt'"), std::string::npos);
  }
  EXPECT_EQ(save.Saved(), kPairs);

  // An unreadable save file: reads as empty, is not replaced.
  chmod(kSave, 0);
  {
    harness::CaptureStdout out;
    int status = RunInChild(
        [] {
          int value = 5;
          ReadValue("FX", value);
          WriteValue("FX", 1);
          return value == 5 ? 0 : 1;
        },
        true);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.Text().find("left unchanged"), std::string::npos);
  }
  chmod(kSave, 0644);
  EXPECT_EQ(save.Saved(), kPairs);

  // A writable save in a read-only folder: the new save cannot be made beside it.
  chmod("Resources/Data", 0555);
  {
    harness::CaptureStdout out;
    int status = RunInChild(
        [] {
          WriteValue("FX", 1);
          return 0;
        },
        true);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.Text().find("could not be written"), std::string::npos) << "a console line";
  }
  chmod("Resources/Data", 0755);
  EXPECT_EQ(save.Saved(), kPairs);
  EXPECT_TRUE(save.StrayFiles().empty());
}

TEST(GameData, FailedWriteKeepsTheOldSaveAndRemovesTheTemporary) {
  SaveFolder save;
  std::string big = kPairs;
  for (int i = 0; i < 200; ++i) big += "Level" + std::to_string(i) + " Time\n9999\n";
  save.Save(big);
  harness::CaptureStdout out;
  // A file size limit makes the write fail part way, like a full disk.
  int status = RunInChild([] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{100, 100};
    setrlimit(RLIMIT_FSIZE, &limit);
    WriteValue("Music", 1);
    return 0;
  });
  EXPECT_EQ(status, 0);
  EXPECT_NE(out.Text().find("Save file 'Resources/Data/GameData.txt' could not be written"),
            std::string::npos)
      << out.Text();
  EXPECT_EQ(save.Saved(), big);
  EXPECT_TRUE(save.StrayFiles().empty());
}

TEST(GameData, TenMegabyteSaveReadsAndWrites) {
  SaveFolder save;
  std::string filler;
  filler.reserve(10 << 20);
  for (int i = 0; filler.size() < (10u << 20); ++i) {
    // Every byte value but a carriage return, which would end its line early.
    char odd = static_cast<char>(i % 256);
    if (odd == '\r') odd = 'r';
    filler += "filler line " + std::to_string(i) + std::string(1, odd) + "\n";
  }
  std::string text = filler + "Music\n40\n" + std::string(300000, 'x') + "\nFX\n70";
  save.Save(text);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Read("FX"), 70);
  EXPECT_EQ(Read("Music"), 40);
  WriteValue("Music", 41);
  auto elapsed = std::chrono::steady_clock::now() - start;
  // Compared as a truth value: a diff of two 10 MB texts would take minutes.
  EXPECT_TRUE(save.Saved() == filler + "Music\n41\n" + std::string(300000, 'x') + "\nFX\n70\n");
  EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count(), 20);
}

TEST(GameData, InterruptedWritesNeverLeaveAPartialSave) {
  SaveFolder save;
  // Big enough that a rewrite takes a while, so that kills land inside one.
  std::string tail = "\nFX\n70\n";
  for (int i = 0; i < 20000; ++i) tail += "Level" + std::to_string(i) + " Score\n0\n";
  save.Save("Music\n0\n" + tail.substr(1));
  const std::string head = "Music\n";

  // The kills land anywhere in the first few writes, however long a write
  // takes here: a sanitizer build on a busy machine is many times slower.
  // Writing the value the save already holds changes nothing.
  auto before = std::chrono::steady_clock::now();
  WriteValue("Music", 0);
  long window =
      std::max(2000L, 4 * static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                std::chrono::steady_clock::now() - before)
                                                .count()));  // microseconds

  std::srand(12345);
  int changed = 0;
  int midWrite = 0;  // rounds whose kill left a half-written temporary
  // At least 40 rounds, more until both kinds of kill were seen; the window
  // doubles while no write finishes (the child may get little of a busy CPU).
  for (int round = 0; round < 400 && (round < 40 || changed == 0 || midWrite == 0); ++round) {
    if (round % 10 == 9 && changed == 0) window *= 2;
    int started[2];
    ASSERT_EQ(pipe(started), 0);
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
      // Tells the parent it runs, so the kill's delay counts from its first write.
      if (write(started[1], "s", 1) != 1) _exit(1);
      for (int value = 1;; ++value) WriteValue("Music", value);
    }
    char ready = 0;
    ASSERT_EQ(read(started[0], &ready, 1), 1);
    close(started[0]);
    close(started[1]);
    usleep(static_cast<useconds_t>(std::rand() % window));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);

    std::string saved = save.Saved();
    ASSERT_EQ(saved.compare(0, head.size(), head), 0) << "round " << round;
    size_t valueEnd = saved.find('\n', head.size());
    ASSERT_NE(valueEnd, std::string::npos) << "round " << round;
    std::string value = saved.substr(head.size(), valueEnd - head.size());
    ASSERT_FALSE(value.empty());
    ASSERT_EQ(value.find_first_not_of("0123456789"), std::string::npos) << value;
    ASSERT_EQ(saved.substr(valueEnd), tail) << "round " << round << ": the save was cut short";
    if (value != "0") ++changed;
    // A killed write may leave its temporary; it never replaces the save,
    // and the next start removes it.
    if (!save.StrayFiles().empty()) ++midWrite;
    save.AgeStrayFiles();
    RemoveLeftoverTemporaries();
    ASSERT_TRUE(save.StrayFiles().empty()) << "round " << round << ": a leftover stays";
  }
  EXPECT_GT(changed, 0) << "no write ever finished: the kills tested nothing";
  EXPECT_GT(midWrite, 0) << "no kill landed inside a write: the test proved nothing about one";
}

TEST(GameData, TwoCopiesWritingAtOnceLoseNoValue) {
  SaveFolder save;
  save.Save(kPairs);
  // Each copy writes its own key many times and, before every write, checks
  // that the other copy's writes have not put back an older value of it.
  constexpr int kWrites = 150;
  auto writer = [](const char* key) {
    return [key] {
      for (int value = 1; value <= kWrites; ++value) {
        int stored = -1;
        ReadValue(key, stored);
        if (value > 1 && stored != value - 1) return 1;
        WriteValue(key, value);
      }
      return 0;
    };
  };
  std::fflush(stdout);
  pid_t music = fork();
  if (music == 0) _exit(writer("Music")());
  pid_t effects = fork();
  if (effects == 0) _exit(writer("FX")());
  int musicStatus = 0;
  int effectsStatus = 0;
  waitpid(music, &musicStatus, 0);
  waitpid(effects, &effectsStatus, 0);
  EXPECT_TRUE(WIFEXITED(musicStatus) && WEXITSTATUS(musicStatus) == 0)
      << "a write of FX put back an older Music";
  EXPECT_TRUE(WIFEXITED(effectsStatus) && WEXITSTATUS(effectsStatus) == 0)
      << "a write of Music put back an older FX";
  EXPECT_EQ(Read("Music"), kWrites);
  EXPECT_EQ(Read("FX"), kWrites);
  EXPECT_EQ(Read("Level Reached"), 3);
  EXPECT_TRUE(save.StrayFiles().empty());
}

TEST(GameData, IntToTextWritesLikePrintf) {
  EXPECT_EQ(IntToText(0), "0");
  EXPECT_EQ(IntToText(-5), "-5");
  EXPECT_EQ(IntToText(42), "42");
  EXPECT_EQ(IntToText(INT_MIN), "-2147483648");
  EXPECT_EQ(IntToText(INT_MAX), "2147483647");
}

TEST(GameData, WrittenValuesReadBackAcrossTheRange) {
  SaveFolder save;
  save.Save(kPairs);
  for (int value : {0, 1, -1, 100, INT_MAX, INT_MIN, 9999}) {
    WriteValue("FX", value);
    EXPECT_EQ(Read("FX"), value);
  }
}
