// The program's entry: parse the command line, pick a backend, create the main
// window and run its message loop.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "cli/options.h"
#include "platform/headless/headless_platform.h"
#include "platform/shared/page_files.h"
#include "settings/menu_text.h"
#ifdef GLIMMERDOME_HAVE_KEYFILE_STORE
#include "platform/linux/keyfile_store.h"
#endif
#if defined(_WIN32)
#include "platform/win32/win32_platform.h"
#elif defined(GLIMMERDOME_HAVE_GTK)
#include "platform/gtk/gtk_platform.h"
#endif

using namespace gd;

namespace {

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Where a desktop run would open the globe's own page: the installed one, or
// the copy it writes to the user's cache (which a headless run leaves alone).
std::string PageFolderFor(const std::string& executablePath) {
  if (std::string installed = InstalledPageFolder(executablePath); HoldsPage(installed)) return installed;
#ifdef _WIN32
  return Win32PageCacheFolder();
#else
  if (!Environment("XDG_CACHE_HOME").empty()) return std::string(Environment("XDG_CACHE_HOME")) + "/glimmerdome/page";
  return std::string(Environment("HOME")) + "/.cache/glimmerdome/page";
#endif
}

// --print-menu: the show and the chosen items, then the menu as the user
// would see it. The window is not closed, so nothing is saved.
int PrintMenu(HeadlessPlatform& headless, MainWindow& window, const std::vector<std::string>& choose) {
  headless.Show(window);
  for (const std::string& name : choose) headless.Choose(name);
  std::fputs(MenuAsText(window.Menu(), window.CurrentChoices()).c_str(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  UseParentConsole();
  (void)argc, (void)argv;  // read from the wide command line instead
  std::vector<std::string> arguments = Win32ProgramArguments();
#else
  std::vector<std::string> arguments(argv + 1, argv + argc);
  // Past a file size limit (ulimit -f) a write fails as on a full disk,
  // instead of the signal ending the program: the settings' write is refused
  // and told, and the globe keeps running.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  CommandLine cl;
  std::string error;
  if (!ParseCommandLine(arguments, &cl, &error)) {
    std::fprintf(stderr, "glimmerdome: %s\n", error.c_str());
    return 2;
  }
  if (cl.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (cl.version) {
    std::printf("glimmerdome %s\n", GLIMMERDOME_VERSION);
    return 0;
  }

  std::unique_ptr<Platform> platform;
  if (cl.headless) {
#ifdef GLIMMERDOME_HAVE_KEYFILE_STORE
    // A start-at-login entry written by a headless run names this program.
    if (std::string self = RunningExecutablePath(); !self.empty()) cl.headlessOptions.executablePath = self;
#endif
    // The user's languages and long dates, as a desktop program would find them.
    cl.headlessOptions.languages = LanguagesFromEnvironment(Environment("LANGUAGE"), Environment("LC_ALL"),
                                                            Environment("LC_MESSAGES"), Environment("LANG"));
    for (const char* name : {"LC_ALL", "LC_TIME", "LANG"})
      if (!Environment(name).empty()) {
        cl.headlessOptions.timeLocale = Environment(name);
        break;
      }
#ifdef _WIN32
    cl.headlessOptions.executablePath = Win32ExecutablePath();
#endif
    cl.headlessOptions.pageFolder = PageFolderFor(cl.headlessOptions.executablePath);
    platform = std::make_unique<HeadlessPlatform>(cl.headlessOptions);
  } else {
#if defined(_WIN32)
    platform = MakeWin32Platform(&error);
#elif defined(GLIMMERDOME_HAVE_GTK)
    platform = MakeGtkPlatform(&argc, &argv, &error);
#else
    error = "this build has no desktop backend";
#endif
    if (!platform) {
      std::fprintf(stderr, "glimmerdome: %s; to render without a display, use --headless (see --help)\n",
                   error.c_str());
      return 1;
    }
  }

  try {
    const SceneCatalogue& catalogue = SceneCatalogue::Embedded();
    MainWindow frmMain(*platform, catalogue, cl.args);
    if (cl.printMenu) return PrintMenu(static_cast<HeadlessPlatform&>(*platform), frmMain, cl.headlessOptions.choose);
    return platform->RunMessageLoop(frmMain);
  } catch (const std::exception& e) {
    platform->ShowMessage(e.what(), MessageKind::Error);
    return 1;
  }
}
