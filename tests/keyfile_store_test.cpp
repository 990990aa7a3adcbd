// The key-file settings store on real files: what it reads, what it writes,
// and that no failure, damaged file or interrupted save loses what was stored.
#ifdef GLIMMERDOME_HAVE_KEYFILE_STORE

#include "platform/linux/keyfile_store.h"

#include <glib.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "globe_fixture.h"

namespace gd {
namespace {

namespace fs = std::filesystem;

class KeyFileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/glimmer-keyfile-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/config/glimmerdome/settings.ini";
    autostart_ = dir_ + "/config/autostart/glimmerdome.desktop";
  }
  void TearDown() override { fs::remove_all(dir_); }

  static void WriteText(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  static constexpr SettingsStore::Entry kEntries[] = {{"OnTop", 1}, {"TrVal", 9},       {"Top", -141},
                                                      {"Left", 1615}, {"iCountdown", 2}, {"iSpeed", 3},
                                                      {"isSnowOn", 0}};
  static constexpr const char* kWritten =
      "[Glimmerdome]\nOnTop=1\nTrVal=9\nTop=-141\nLeft=1615\niCountdown=2\niSpeed=3\nisSnowOn=0\n";

  std::string dir_, path_, autostart_;
};

TEST_F(KeyFileStoreTest, NoFileIsAFirstRunWithNothingToTell) {
  KeyFileSettingsStore store(path_, autostart_);
  EXPECT_EQ(store.Read("TrVal").kind, SettingsStore::ValueKind::Missing);
  EXPECT_EQ(store.TakeProblem(), "");
  EXPECT_EQ(store.StartupEntryExists(), false);
}

TEST_F(KeyFileStoreTest, WritesTheSevenValuesAsDecimalsInTheGroupAndReadsThemBack) {
  std::string failed;
  ASSERT_TRUE(KeyFileSettingsStore(path_, autostart_).WriteAll(kEntries, std::size(kEntries), &failed));
  EXPECT_EQ(ReadText(path_), kWritten);
  KeyFileSettingsStore again(path_, autostart_);
  EXPECT_EQ(again.Read("Top").value, -141);
  EXPECT_EQ(again.Read("Top").kind, SettingsStore::ValueKind::Int32);
  EXPECT_EQ(again.Read("TrVal").value, 9);
  EXPECT_EQ(FilesIn(fs::path(path_).parent_path()), (std::vector<std::string>{"settings.ini"}));
}

TEST_F(KeyFileStoreTest, OnlyDecimal32BitIntegersAreIntegers) {
  WriteText(path_,
            "[Other]\nTrVal=4\n[Glimmerdome]\n"
            "a=abc\nb=1.5\nc=2147483648\nd=-2147483649\ne=\nf=0x10\ng=1e3\nh=12 3\n"
            "i=-2147483648\nj= 42 \nk=+7\nl=-71\nm=0000000000000005\n");
  KeyFileSettingsStore store(path_, autostart_);
  for (const char* name : {"a", "b", "c", "d", "e", "f", "g", "h"})
    EXPECT_EQ(store.Read(name).kind, SettingsStore::ValueKind::WrongType) << name;
  const std::pair<const char*, int32_t> good[] = {{"i", INT32_MIN}, {"j", 42}, {"k", 7}, {"l", -71}, {"m", 5}};
  for (const auto& [name, value] : good) {
    EXPECT_EQ(store.Read(name).kind, SettingsStore::ValueKind::Int32) << name;
    EXPECT_EQ(store.Read(name).value, value) << name;
  }
  EXPECT_EQ(store.Read("TrVal").kind, SettingsStore::ValueKind::Missing);  // another group's
  EXPECT_EQ(store.TakeProblem(), "");
}

TEST_F(KeyFileStoreTest, ADamagedFileIsToldOnceReadsAsMissingAndIsKeptWhenReplaced) {
  for (const std::string& damaged : {std::string("TrVal=9\n"), std::string("[Glimmerdome]\nTrVal 9\n")}) {
    WriteText(path_, damaged);
    fs::remove(path_ + ".bad");
    KeyFileSettingsStore store(path_, autostart_);
    EXPECT_EQ(store.Read("TrVal").kind, SettingsStore::ValueKind::Missing);
    const std::string problem = store.TakeProblem();
    EXPECT_NE(problem.find(path_), std::string::npos) << problem;
    EXPECT_NE(problem.find(".bad"), std::string::npos) << problem;
    EXPECT_EQ(store.TakeProblem(), "");
    EXPECT_EQ(ReadText(path_), damaged);  // reading changes nothing

    std::string failed;
    ASSERT_TRUE(store.WriteAll(kEntries, std::size(kEntries), &failed));
    EXPECT_EQ(ReadText(path_ + ".bad"), damaged);
    EXPECT_EQ(ReadText(path_), kWritten);
  }
}

TEST_F(KeyFileStoreTest, ASaveKeepsCommentsAndOtherEntries) {
  WriteText(path_, "# mine\n[Glimmerdome]\nTrVal=1\nExtra=yes\n[Other]\nx=1\n");
  std::string failed;
  ASSERT_TRUE(KeyFileSettingsStore(path_, autostart_).WriteAll(kEntries, std::size(kEntries), &failed));
  const std::string text = ReadText(path_);
  for (const char* kept : {"# mine", "Extra=yes", "[Other]", "x=1", "TrVal=9"})
    EXPECT_NE(text.find(kept), std::string::npos) << kept << " in\n" << text;
}

TEST_F(KeyFileStoreTest, AFolderThatCannotBeMadeRefusesTheSaveWithAReason) {
  WriteText(dir_ + "/config", "a file where the folder should be");
  KeyFileSettingsStore store(path_, autostart_);
  std::string failed;
  EXPECT_FALSE(store.WriteAll(kEntries, std::size(kEntries), &failed));
  EXPECT_EQ(failed, "OnTop");
  const std::string problem = store.TakeProblem();
  EXPECT_NE(problem.find("folder"), std::string::npos) << problem;
  EXPECT_FALSE(store.SetStartupEntry("/usr/bin/glimmerdome"));
  EXPECT_NE(store.TakeProblem(), "");
  EXPECT_EQ(store.StartupEntryExists(), false);
  EXPECT_TRUE(store.RemoveStartupEntry());  // nothing there to remove
}

// A save cut short while the new file is being written (here by a file size
// limit, as a full disk would) leaves the old file exactly as it was, and
// gives the same reason each time, naming the file (so it is told once).
TEST_F(KeyFileStoreTest, AnInterruptedSaveLeavesTheOldFileIntact) {
  const std::string old = "[Glimmerdome]\nTrVal=4\n";
  WriteText(path_, old);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {16, 16};
    setrlimit(RLIMIT_FSIZE, &limit);
    KeyFileSettingsStore store(path_, autostart_);
    std::string failed;
    if (store.WriteAll(kEntries, std::size(kEntries), &failed)) _exit(1);
    const std::string first = store.TakeProblem();
    if (store.WriteAll(kEntries, std::size(kEntries), &failed)) _exit(1);
    _exit(first == store.TakeProblem() && first == "Cannot write '" + path_ + "': File too large." ? 0 : 2);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << (WEXITSTATUS(status) == 1 ? "the cut-short save was reported as done"
                                                                   : "the reason changed or does not name the file");
  EXPECT_EQ(ReadText(path_), old);
  EXPECT_EQ(FilesIn(fs::path(path_).parent_path()), (std::vector<std::string>{"settings.ini"}));
}

TEST_F(KeyFileStoreTest, TheAutostartEntryStartsThisProgramAndItsPresenceIsTheState) {
  KeyFileSettingsStore store(path_, autostart_);
  ASSERT_TRUE(store.SetStartupEntry("/usr/local/bin/glimmerdome"));
  EXPECT_EQ(store.StartupEntryExists(), true);
  EXPECT_EQ(ReadText(autostart_),
            "[Desktop Entry]\nType=Application\nName=Glimmerdome\nComment=A snow globe for the desktop\n"
            "Exec=/usr/local/bin/glimmerdome\nTerminal=false\n");
  ASSERT_TRUE(store.RemoveStartupEntry());
  EXPECT_EQ(store.StartupEntryExists(), false);
  EXPECT_TRUE(store.RemoveStartupEntry());
}

// Paths that need quoting, decoded as a desktop would: the key file's string
// rules first, then the Exec quoting (shell double quotes).
TEST_F(KeyFileStoreTest, ExecQuotesPathsAsTheDesktopEntryRulesAsk) {
  const struct {
    std::string path;
    std::string line;  // as it stands in the file
  } rows[] = {
      {"/opt/Snow Globe/glimmerdome", "Exec=\"/opt/Snow Globe/glimmerdome\""},
      {"/opt/a\"b$c`d\\e/glimmerdome", "Exec=\"/opt/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e/glimmerdome\""},
      {"/opt/it's (new)/g", "Exec=\"/opt/it's (new)/g\""},
      {"/opt/100%/glimmerdome", "Exec=/opt/100%%/glimmerdome"},
  };
  for (const auto& row : rows) {
    KeyFileSettingsStore store(path_, autostart_);
    ASSERT_TRUE(store.SetStartupEntry(row.path));
    const std::string text = ReadText(autostart_);
    EXPECT_NE(text.find(row.line + "\n"), std::string::npos) << text;

    GKeyFile* kf = g_key_file_new();
    ASSERT_TRUE(g_key_file_load_from_file(kf, autostart_.c_str(), G_KEY_FILE_NONE, nullptr));
    gchar* exec = g_key_file_get_string(kf, "Desktop Entry", "Exec", nullptr);
    ASSERT_NE(exec, nullptr);
    std::string unquoted = exec;
    g_free(exec);
    g_key_file_free(kf);
    // %% is the field-code escape of a literal percent sign.
    for (size_t at = 0; (at = unquoted.find("%%", at)) != std::string::npos; ++at) unquoted.erase(at, 1);
    gchar** argv = nullptr;
    gint argc = 0;
    ASSERT_TRUE(g_shell_parse_argv(unquoted.c_str(), &argc, &argv, nullptr)) << unquoted;
    ASSERT_EQ(argc, 1);
    EXPECT_EQ(argv[0], row.path);
    g_strfreev(argv);
  }
}

TEST(KeyFilePlaces, TheConfigFolderFollowsXdgConfigHome) {
  const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string keepXdg = savedXdg ? savedXdg : "";
  const char* savedHome = std::getenv("HOME");
  const std::string keepHome = savedHome ? savedHome : "";

  setenv("HOME", "/home/snow", 1);
  setenv("XDG_CONFIG_HOME", "/xdg/conf", 1);
  EXPECT_EQ(DefaultSettingsPath(), "/xdg/conf/glimmerdome/settings.ini");
  EXPECT_EQ(DefaultAutostartPath(), "/xdg/conf/autostart/glimmerdome.desktop");
  setenv("XDG_CONFIG_HOME", "relative/conf", 1);  // not absolute: ignored
  EXPECT_EQ(DefaultSettingsPath(), "/home/snow/.config/glimmerdome/settings.ini");
  setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(DefaultSettingsPath(), "/home/snow/.config/glimmerdome/settings.ini");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(DefaultAutostartPath(), "/home/snow/.config/autostart/glimmerdome.desktop");

  if (savedXdg) setenv("XDG_CONFIG_HOME", keepXdg.c_str(), 1);
  if (savedHome) setenv("HOME", keepHome.c_str(), 1);
}

// The headless program with --settings: the first close writes the file and
// the entry beside it; the next start comes back where the globe was left.
TEST_F(KeyFileStoreTest, AHeadlessGlobeKeepsItsSettingsInTheFile) {
  HeadlessOptions o = testing::GlobeOptions();
  o.settingsPath = dir_ + "/s.ini";
  {
    testing::Globe g(o);
    g.Show();
    g.platform.Choose("pmiQuickly");
    g.platform.PlaceWindow({321, 123});
    g.platform.Choose("pmiExit");
    ASSERT_TRUE(g.platform.Closed());
    EXPECT_TRUE(g.MessageTexts().empty());
  }
  EXPECT_EQ(ReadText(dir_ + "/s.ini"),
            "[Glimmerdome]\nOnTop=1\nTrVal=0\nTop=123\nLeft=321\niCountdown=0\niSpeed=3\nisSnowOn=1\nScale=0\n");
  EXPECT_TRUE(fs::exists(dir_ + "/s.ini.autostart.desktop"));

  testing::Globe again(o);
  again.Show();
  EXPECT_EQ(again.platform.WindowPosition().x, 321);
  EXPECT_EQ(again.platform.WindowPosition().y, 123);
  EXPECT_TRUE(again.Checked("pmiQuickly"));
  EXPECT_TRUE(again.Checked("pmiStartUp"));

  // A start and an Exit with nothing changed leave the file as it was, even
  // as a person wrote it.
  const std::string mine =
      "# mine\n[Glimmerdome]\nOnTop = 1\nTrVal=0\nTop=123\nLeft=321\niCountdown=0\niSpeed=+3\nisSnowOn=1\nScale=0\n";
  WriteText(dir_ + "/s.ini", mine);
  testing::Globe third(o);
  third.Show();
  third.platform.RunFor(1000);
  third.platform.Choose("pmiExit");
  ASSERT_TRUE(third.platform.Closed());
  EXPECT_EQ(ReadText(dir_ + "/s.ini"), mine);
}

// Two globes on one file: a change writes that globe's settings whole, and a
// globe that closes without a change of its own does not write its older ones
// over the other's: the last change wins.
TEST_F(KeyFileStoreTest, OfTwoGlobesTheLastChangeWins) {
  HeadlessOptions o = testing::GlobeOptions();
  o.settingsPath = dir_ + "/s.ini";
  WriteText(o.settingsPath,
            "[Glimmerdome]\nOnTop=1\nTrVal=0\nTop=100\nLeft=100\niCountdown=0\niSpeed=2\nisSnowOn=1\nScale=0\n");
  testing::Globe first(o), second(o, {"add"});
  first.Show();
  second.Show();
  first.platform.RunFor(200);
  second.platform.Choose("pmi50");
  second.platform.RunFor(200);
  const Point at = second.platform.WindowPosition();
  const std::string secondWrote = "[Glimmerdome]\nOnTop=1\nTrVal=5\nTop=" + std::to_string(at.y) + "\nLeft=" +
                                  std::to_string(at.x) + "\niCountdown=0\niSpeed=2\nisSnowOn=1\nScale=0\n";
  EXPECT_EQ(ReadText(o.settingsPath), secondWrote);
  first.platform.Choose("pmiExit");
  ASSERT_TRUE(first.platform.Closed());
  EXPECT_EQ(ReadText(o.settingsPath), secondWrote);
}

}  // namespace
}  // namespace gd

#endif  // GLIMMERDOME_HAVE_KEYFILE_STORE
