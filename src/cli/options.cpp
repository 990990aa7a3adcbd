#include "cli/options.h"

#include "settings/menu.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace gd {

const char* const kUsage =
    "Usage: glimmerdome [OPTION]... [add]\n"
    "A snow globe for the desktop.\n"
    "\n"
    "  add                 start at a random place instead of the saved one\n"
    "  --headless          run without a display, in virtual time\n"
    "  --frames N          (headless) stop after N frames; the first frame counts (default 1)\n"
    "  --at YYYY-MM-DDTHH:MM[:SS]\n"
    "                      (headless) the local time at start (default: now)\n"
    "  --snapshot FILE.png (headless) write the last frame as a person sees it\n"
    "  --dump FILE         (headless) write the last frame buffer's raw bytes\n"
    "                      (300 x 260 x 4 at scale 1: blue, green, red, premultiplied alpha)\n"
    "  --scale S           (headless) the display scale, 1 to 3 in steps of 0.25\n"
    "                      (default 1); frames have 300 S x 260 S pixels\n"
    "  --trace FILE        (headless) write every frame and event as JSON Lines\n"
    "  --record FILE.png   (headless) write every frame as an animated PNG\n"
    "  --settings FILE     (headless) keep the settings in this key file, and the\n"
    "                      start-at-login entry beside it as FILE.autostart.desktop\n"
    "  --choose NAME       (headless) choose a menu item by name after the show;\n"
    "                      may repeat, for example --choose pmiQuickly --choose pmiExit\n"
    "  --shake N           (headless) after the show and the chosen items, shake the\n"
    "                      globe N times (40 pixels to and fro, five times a second)\n"
    "  --tick-start MS     (headless) the system tick count at start\n"
    "  --monitors LIST     (headless) the desktop's monitors, the first one primary,\n"
    "                      as WxH+X+Y separated by commas (offsets may be negative:\n"
    "                      1280x1024-1280+0); each work area is the whole monitor\n"
    "                      (default: 1920x1080+0+0 with a 40-pixel taskbar)\n"
    "  --reduced-motion    (headless) the desktop asks for less motion\n"
    "  --print-menu        (headless) after the show and the chosen items, print\n"
    "                      the popup menu as the user sees it and exit\n"
    "  --help              show this help and exit\n"
    "  --version           show the version and exit\n";

bool ParseLocalDateTime(const std::string& text, LocalDateTime* out) {
  int y, mo, d, h, mi, s = 0;
  char tail = 0;
  int n = std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail);
  if (n != 5 && n != 6) return false;
  if (n == 5) {
    // Accept only exactly YYYY-MM-DDTHH:MM with nothing after it.
    int consumed = 0;
    std::sscanf(text.c_str(), "%*4d-%*2d-%*2dT%*2d:%*2d%n", &consumed);
    if (consumed != static_cast<int>(text.size())) return false;
  }
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > kDays[mo - 1] || h < 0 || h > 23 || mi < 0 ||
      mi > 59 || s < 0 || s > 59)
    return false;
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (mo == 2 && d == 29 && !leap) return false;
  *out = LocalDateTime{y, mo, d, h, mi, s, 0};
  return true;
}

namespace {

// Whether a menu item of that name exists and can be chosen.
bool IsChoosable(const std::string& name) {
  const MenuItemDesign* item = FindMenuItemDesign(name);
  return item && item->kind != MenuItemKind::Separator && item->kind != MenuItemKind::Submenu;
}

// Parses WxH+X+Y, each offset signed (+X, -X or +-X).
bool ParseMonitor(const std::string& text, Monitor* out) {
  size_t pos = 0;
  auto number = [&](bool signedOffset, int* v) {
    bool negative = false;
    if (signedOffset) {
      if (pos >= text.size() || (text[pos] != '+' && text[pos] != '-')) return false;
      negative = text[pos++] == '-';
      if (!negative && pos < text.size() && text[pos] == '-') negative = true, ++pos;
    }
    const size_t start = pos;
    long long n = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 6) n = n * 10 + (text[pos++] - '0');
    if (pos == start || (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')) return false;
    *v = static_cast<int>(negative ? -n : n);
    return true;
  };
  int w, h, x, y;
  if (!number(false, &w) || pos >= text.size() || text[pos++] != 'x' || !number(false, &h) || !number(true, &x) ||
      !number(true, &y) || pos != text.size() || w <= 0 || h <= 0)
    return false;
  out->bounds = {x, y, x + w, y + h};
  out->workArea = out->bounds;
  return true;
}

bool ParseCount(const std::string& text, unsigned long long max, unsigned long long* out) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
  if (errno || *end || v > max) return false;
  *out = v;
  return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& argv, CommandLine* out, std::string* error) {
  CommandLine cl;
  bool headlessOnly = false;
  for (size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    auto value = [&](std::string* v) {
      if (i + 1 >= argv.size()) {
        *error = "option " + a + " needs a value";
        return false;
      }
      *v = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--help" || a == "-h") {
      cl.help = true;
    } else if (a == "--version") {
      cl.version = true;
    } else if (a == "--headless") {
      cl.headless = true;
    } else if (a == "--frames") {
      unsigned long long n;
      if (!value(&v)) return false;
      if (!ParseCount(v, 1000000000ULL, &n) || n == 0) {
        *error = "--frames takes a whole number from 1 to 1000000000, not '" + v + "'";
        return false;
      }
      cl.headlessOptions.frames = n;
      cl.framesGiven = true;
      headlessOnly = true;
    } else if (a == "--at") {
      if (!value(&v)) return false;
      LocalDateTime at;
      if (!ParseLocalDateTime(v, &at)) {
        *error = "--at takes a local date and time as YYYY-MM-DDTHH:MM[:SS], not '" + v + "'";
        return false;
      }
      cl.headlessOptions.at = at;
      headlessOnly = true;
    } else if (a == "--scale") {
      if (!value(&v)) return false;
      char* end = nullptr;
      const double s = std::strtod(v.c_str(), &end);
      const double quarters = s * 4;
      if (v.empty() || *end || !(s >= 1 && s <= 3) || quarters != static_cast<int>(quarters)) {
        *error = "--scale takes a scale from 1 to 3 in steps of 0.25, such as 1.5, not '" + v + "'";
        return false;
      }
      cl.headlessOptions.scaleQuarters = static_cast<int>(quarters);
      headlessOnly = true;
    } else if (a == "--tick-start") {
      unsigned long long n;
      if (!value(&v)) return false;
      if (!ParseCount(v, 4294967295ULL, &n)) {
        *error = "--tick-start takes a whole number from 0 to 4294967295, not '" + v + "'";
        return false;
      }
      cl.headlessOptions.tickStart = static_cast<uint32_t>(n);
      headlessOnly = true;
    } else if (a == "--shake") {
      unsigned long long n;
      if (!value(&v)) return false;
      if (!ParseCount(v, 100000ULL, &n)) {
        *error = "--shake takes a whole number of shakes from 0 to 100000, not '" + v + "'";
        return false;
      }
      cl.headlessOptions.shakes = static_cast<uint32_t>(n);
      headlessOnly = true;
    } else if (a == "--monitors") {
      if (!value(&v)) return false;
      std::vector<Monitor> monitors;
      size_t start = 0;
      for (;;) {
        const size_t comma = v.find(',', start);
        Monitor m;
        if (!ParseMonitor(v.substr(start, comma == std::string::npos ? std::string::npos : comma - start), &m)) {
          *error = "--monitors takes monitors as WxH+X+Y separated by commas, such as "
                   "1920x1080+0+0,1280x1024+1920+0, not '" + v + "'";
          return false;
        }
        m.primary = monitors.empty();
        monitors.push_back(m);
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      cl.headlessOptions.monitors = std::move(monitors);
      headlessOnly = true;
    } else if (a == "--reduced-motion") {
      cl.headlessOptions.reducedMotion = true;
      headlessOnly = true;
    } else if (a == "--print-menu") {
      cl.printMenu = true;
      headlessOnly = true;
    } else if (a == "--snapshot" || a == "--dump" || a == "--trace" || a == "--record" || a == "--settings" ||
               a == "--choose") {
      if (!value(&v)) return false;
      if (v.empty()) {
        *error = "option " + a + " needs a non-empty value";
        return false;
      }
      HeadlessOptions& o = cl.headlessOptions;
      if (a == "--snapshot") o.snapshotPath = v;
      if (a == "--dump") o.dumpPath = v;
      if (a == "--trace") o.tracePath = v;
      if (a == "--record") o.recordPath = v;
      if (a == "--settings") o.settingsPath = v;
      if (a == "--choose") {
        if (!IsChoosable(v)) {
          *error = "--choose takes the name of a menu item, such as pmiQuickly, pmi90 or pmiExit, not '" + v + "'";
          return false;
        }
        o.choose.push_back(v);
      }
      headlessOnly = true;
    } else if (a.size() > 1 && a[0] == '-') {
      *error = "unknown option '" + a + "' (see --help)";
      return false;
    } else {
      cl.args.push_back(a);
    }
  }
#ifndef GLIMMERDOME_HAVE_KEYFILE_STORE
  if (!cl.headlessOptions.settingsPath.empty()) {
    *error = "this build keeps the headless settings in memory only, so --settings is not available";
    return false;
  }
#endif
  if (headlessOnly && !cl.headless && !cl.help && !cl.version) {
    *error = "the options --frames, --at, --scale, --snapshot, --dump, --trace, --record, --settings, --choose, "
             "--shake, --tick-start, --monitors, --reduced-motion and --print-menu go with --headless";
    return false;
  }
  *out = std::move(cl);
  return true;
}

}  // namespace gd
