#include "platform/linux/keyfile_store.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "i18n/translation.h"

namespace gd {
namespace {

struct GFreeDeleter {
  void operator()(void* p) const { g_free(p); }
};
using GString_ = std::unique_ptr<char, GFreeDeleter>;

struct KeyFileDeleter {
  void operator()(GKeyFile* k) const { g_key_file_free(k); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileDeleter>;

// A GError that frees itself.
class Error {
 public:
  ~Error() {
    if (error_) g_error_free(error_);
  }
  GError** Out() { return &error_; }
  bool Is(GQuark domain, int code) const { return g_error_matches(error_, domain, code); }
  std::string Message() const { return error_ ? error_->message : "unknown error"; }

 private:
  GError* error_ = nullptr;
};

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// Writes `data` to `path` through a temporary file in the same folder that
// replaces `path` only once it is complete and on the disk, so that a refused
// write (a full disk, a file size limit) or a crash part-way leaves the old
// file as it was. Creates the folder if needed. A failure names `path`, not
// the temporary file, so that the same cause gives the same words each time.
bool ReplaceFile(const std::string& path, const std::string& data, std::string* why) {
  GString_ dir(g_path_get_dirname(path.c_str()));
  if (g_mkdir_with_parents(dir.get(), 0777) != 0) {
    *why = TrFormat("Cannot create the folder %s: %s.", {Quoted(dir.get()), std::strerror(errno)});
    return false;
  }
  std::string temp = path + ".XXXXXX";
  const int fd = g_mkstemp_full(temp.data(), O_WRONLY | O_CLOEXEC, 0666);
  int error = fd < 0 ? errno : 0;
  if (fd >= 0) {
    for (size_t done = 0; !error && done < data.size();) {
      const ssize_t n = write(fd, data.data() + done, data.size() - done);
      if (n >= 0)
        done += static_cast<size_t>(n);
      else if (errno != EINTR)
        error = errno;
    }
    if (!error && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && !error) error = errno;
    if (!error && rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error) unlink(temp.c_str());
  }
  if (!error) return true;
  *why = TrFormat("Cannot write %s: %s.", {Quoted(path), std::strerror(error)});
  return false;
}

std::string KeyFileText(GKeyFile* keyFile) {
  gsize length = 0;
  GString_ data(g_key_file_to_data(keyFile, &length, nullptr));
  return std::string(data.get(), length);
}

}  // namespace

// --- Places -------------------------------------------------------------------

std::string UserConfigDir() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home && home[0] != '\0') return std::string(home) + "/.config";
  return std::string(g_get_home_dir()) + "/.config";
}

std::string DefaultSettingsPath() { return UserConfigDir() + "/glimmerdome/settings.ini"; }

std::string DefaultAutostartPath() { return UserConfigDir() + "/autostart/glimmerdome.desktop"; }

std::string RunningExecutablePath() {
  char buffer[PATH_MAX + 1];
  const ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
  if (n <= 0) return {};
  return std::string(buffer, static_cast<size_t>(n));
}

// --- Values ---------------------------------------------------------------------

std::optional<int32_t> ParseStoredInteger(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

KeyFileSettingsStore::KeyFileSettingsStore(std::string settingsPath, std::string autostartPath)
    : settingsPath_(std::move(settingsPath)), autostartPath_(std::move(autostartPath)) {}

void KeyFileSettingsStore::Load() {
  loaded_ = true;
  KeyFile keyFile(g_key_file_new());
  Error error;
  if (!g_key_file_load_from_file(keyFile.get(), settingsPath_.c_str(), G_KEY_FILE_NONE, error.Out())) {
    // No file yet is a first run, nothing to tell. (A file in place of one of
    // the folders is told when the save fails.)
    if (error.Is(G_FILE_ERROR, G_FILE_ERROR_NOENT) || error.Is(G_FILE_ERROR, G_FILE_ERROR_NOTDIR)) return;
    problem_ = TrFormat(
        "The settings file %s cannot be read: %s. The default settings are used. When the program closes, it "
        "keeps that file as %s and writes a new one.",
        {Quoted(settingsPath_), error.Message(), Quoted(settingsPath_ + ".bad")});
    return;
  }
  gsize count = 0;
  gchar** keys = g_key_file_get_keys(keyFile.get(), kGroup.data(), &count, nullptr);
  if (!keys) return;  // no group of ours: every value is missing
  for (gsize i = 0; i < count; ++i) {
    GString_ value(g_key_file_get_value(keyFile.get(), kGroup.data(), keys[i], nullptr));
    if (value) values_[keys[i]] = value.get();
  }
  g_strfreev(keys);
}

SettingsStore::Value KeyFileSettingsStore::Read(std::string_view name) {
  if (!loaded_) Load();
  const auto it = values_.find(name);
  if (it == values_.end()) return Value{};
  const std::optional<int32_t> value = ParseStoredInteger(it->second);
  if (!value) return Value{ValueKind::WrongType, 0};
  return Value{ValueKind::Int32, *value};
}

bool KeyFileSettingsStore::WriteAll(const Entry* entries, size_t count, std::string* failedName) {
  // What the file held before is read first; a problem found there is
  // settled by this save, which keeps a damaged file before replacing it.
  if (!loaded_) Load();
  problem_.clear();
  auto fail = [&](std::string why) {
    if (failedName && count > 0) *failedName = std::string(entries[0].name);
    problem_ = std::move(why);
    return false;
  };
  // Start from the file as it is, so that comments and entries of others stay.
  KeyFile keyFile(g_key_file_new());
  Error error;
  const bool readable = g_key_file_load_from_file(keyFile.get(), settingsPath_.c_str(),
                                                  static_cast<GKeyFileFlags>(G_KEY_FILE_KEEP_COMMENTS), error.Out());
  if (!readable) {
    if (g_file_test(settingsPath_.c_str(), G_FILE_TEST_EXISTS)) {
      // A file that is not a readable key file is kept, never overwritten.
      const std::string kept = settingsPath_ + ".bad";
      if (g_rename(settingsPath_.c_str(), kept.c_str()) != 0)
        return fail(TrFormat("The settings file %s cannot be read and cannot be kept as %s (%s), so it was left "
                             "as it is.",
                             {Quoted(settingsPath_), Quoted(kept), std::strerror(errno)}));
    }
    keyFile.reset(g_key_file_new());
  }
  // A file that already holds these values stays as it is, byte for byte.
  bool same = readable;
  for (size_t i = 0; i < count; ++i) {
    const std::string name(entries[i].name);
    if (same) {
      GString_ text(g_key_file_get_value(keyFile.get(), kGroup.data(), name.c_str(), nullptr));
      same = text && ParseStoredInteger(text.get()) == entries[i].value;
    }
    g_key_file_set_integer(keyFile.get(), kGroup.data(), name.c_str(), entries[i].value);
  }
  std::string why;
  if (!same && !ReplaceFile(settingsPath_, KeyFileText(keyFile.get()), &why)) return fail(why);
  for (size_t i = 0; i < count; ++i) values_[std::string(entries[i].name)] = std::to_string(entries[i].value);
  return true;
}

// --- The autostart entry -----------------------------------------------------------

std::string DesktopExecArgument(std::string_view argument) {
  // The characters that make the Desktop Entry rules ask for quotes.
  static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
  const bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
  std::string out;
  if (quote) out += '"';
  for (char c : argument) {
    if (c == '%') {
      out += "%%";  // a field code otherwise
      continue;
    }
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
    out += c;
  }
  if (quote) out += '"';
  return out;
}

std::optional<bool> KeyFileSettingsStore::StartupEntryExists() {
  struct stat st;
  if (stat(autostartPath_.c_str(), &st) == 0) return true;
  if (errno == ENOENT || errno == ENOTDIR) return false;
  return std::nullopt;
}

bool KeyFileSettingsStore::SetStartupEntry(const std::string& executablePath) {
  if (executablePath.empty() || !g_utf8_validate(executablePath.data(), static_cast<gssize>(executablePath.size()),
                                                 nullptr)) {
    problem_ = Tr("The program's own path is unknown or not valid UTF-8, so no autostart entry can name it.");
    return false;
  }
  KeyFile keyFile(g_key_file_new());
  const char* group = "Desktop Entry";
  g_key_file_set_string(keyFile.get(), group, "Type", "Application");
  g_key_file_set_string(keyFile.get(), group, "Name", "Glimmerdome");
  g_key_file_set_string(keyFile.get(), group, "Comment", "A snow globe for the desktop");
  // The key file escapes the backslashes of the quoting once more.
  g_key_file_set_string(keyFile.get(), group, "Exec", DesktopExecArgument(executablePath).c_str());
  g_key_file_set_boolean(keyFile.get(), group, "Terminal", FALSE);
  // An entry that is already as it should be stays untouched.
  const std::string text = KeyFileText(keyFile.get());
  gchar* held = nullptr;
  gsize heldLength = 0;
  const bool same = g_file_get_contents(autostartPath_.c_str(), &held, &heldLength, nullptr) &&
                    std::string_view(held, heldLength) == text;
  g_free(held);
  std::string why;
  if (!same && !ReplaceFile(autostartPath_, text, &why)) {
    problem_ = why;
    return false;
  }
  return true;
}

bool KeyFileSettingsStore::RemoveStartupEntry() {
  if (g_unlink(autostartPath_.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) return true;
  problem_ = TrFormat("Cannot remove %s: %s.", {Quoted(autostartPath_), std::strerror(errno)});
  return false;
}

std::string KeyFileSettingsStore::TakeProblem() {
  if (!loaded_) Load();
  std::string problem = std::move(problem_);
  problem_.clear();
  return problem;
}

}  // namespace gd
