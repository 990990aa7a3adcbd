// Loading and saving the settings: loading turns the stored values into the
// choices and carries out their effects, saving turns the choices back into
// stored values. Values are read once when
// the window is shown, and written when they change as well as at close, so
// that nothing is lost when the program ends without closing (the desktop
// gone, a crash, the power cut).
#include <algorithm>

#include "app/main_window.h"
#include "settings/placement.h"
#include "settings/settings.h"

namespace gd {

void MainWindow::Randomize() {
  const std::optional<uint64_t> counter = platform_.PerformanceCounter();
  random_.SetSeed(counter ? static_cast<uint32_t>(*counter) : platform_.TickCount());
}

void MainWindow::LoadSettings() {
  SettingsStore& store = platform_.Settings();
  if (!store.StartsWithWindows()) menu_.SetCaption("pmiStartUp", Tr(kStartUpLoginCaption));

  // Every value at once. A store that could not be read at all, and values of
  // the wrong type, are told after the window has its place and opacity, and
  // the loading goes on with what could be read.
  std::vector<std::string> messages;
  const StoredSettings stored = ReadStoredSettings(store, &messages);
  const bool reducedMotion = platform_.PrefersReducedMotion();
  choices_ = ChoicesFromStored(stored, reducedMotion);
  ++choicesVersion_;

  // Then their effects on the window. The size comes before the place: a
  // first run's corner place depends on it.
  ApplySize(kSizes[choices_.size], false);

  // The place. The window already has the globe's size at its scale.
  PlaceRequest request;
  const bool atRandom = !args_.empty() && args_[0] == "add";
  const bool saved = stored.Has(Setting::Top) && stored.Has(Setting::Left);
  request.reason = atRandom ? PlaceReason::AtRandom : saved ? PlaceReason::Saved : PlaceReason::FirstRun;
  if (saved) request.asked = {stored.Get(Setting::Left), stored.Get(Setting::Top)};
  if (atRandom) Randomize();
  const Point place = PlaceGlobe(request, GlobeSize(), platform_.Monitors(), random_);
  if (capabilities_.canPlaceItself) position_ = platform_.MoveWindow(place.x, place.y);

  // On a first run the start-at-login switch stays on, so that the first
  // close writes the entry.
  if (request.reason != PlaceReason::FirstRun)
    if (const std::optional<bool> exists = store.StartupEntryExists()) {
      choices_.startAtLogin = *exists;
      storeHoldsStartAtLogin_ = *exists;
    }

  RunMenuCommand(kTransparencyLevels[choices_.transparency].item);
  // A stored number that is no speed leaves the step clock as it starts.
  if (StoresSpeed(stored, reducedMotion)) RunMenuCommand(kSpeeds[choices_.speed].item);
  RunMenuCommand("pmiOnTop");
  settingsLoaded_ = true;

  // A store that holds every value as the window now stands needs no write
  // until something changes. (With two globes, the last change wins: a globe
  // that changed nothing does not write its older values over another's.)
  const SettingValues applied = ValuesToSave(choices_, position_);
  bool held = true;
  for (const SettingRow& design : kSettings)
    held = held && stored.Has(design.id) && stored.Get(design.id) == applied[Index(design.id)];
  if (held) storeHolds_ = applied;

  if (TraceSink* trace = platform_.Tracer()) {
    SettingValues values{};
    for (const SettingRow& design : kSettings) values[Index(design.id)] = stored.Get(design.id);
    values[Index(Setting::Top)] = place.y;
    values[Index(Setting::Left)] = place.x;
    trace->Write("settings", SettingsTraceFields("load", values));
  }
  for (const std::string& message : messages) platform_.ShowMessage(message, MessageKind::Error);
}

// A window that no monitor shows any more comes back as it would at a start.
void MainWindow::MonitorsChanged() { TakePlace({PlaceReason::MonitorsChanged, position_, {}}); }

void MainWindow::TakePlace(const PlaceRequest& request) {
  if (!capabilities_.canPlaceItself) return;
  const Point now = position_;
  const Point place = PlaceGlobe(request, GlobeSize(), platform_.Monitors(), random_);
  if (place.x != now.x || place.y != now.y) {
    position_ = platform_.MoveWindow(place.x, place.y);
    SettingsChanged();
  }
}

// Changes are written on the snow's next tick, not at once: whatever comes
// together (a choice and the end of a drag, a move made after the drag's end,
// the scale following the monitors) is one write, at most 200 ms later, and
// that timer runs even while nobody can see the globe. Each drag step is not a
// change; its end is.
void MainWindow::SettingsChanged() {
  if (settingsLoaded_) settingsDue_ = true;
}

// A failure is told, and the close goes ahead either way.
void MainWindow::SaveSettings() { WriteSettingsNow(true); }

void MainWindow::WriteSettingsNow(bool closing) {
  const SettingValues values = ValuesToSave(choices_, position_);
  const bool startAtLogin = choices_.startAtLogin;
  const bool writeValues = storeHolds_ != values;
  const bool writeEntry = closing || storeHoldsStartAtLogin_ != startAtLogin;
  if (!writeValues && !writeEntry) return;
  if (TraceSink* trace = platform_.Tracer()) trace->Write("settings", SettingsTraceFields("save", values));
  SettingsStore& store = platform_.Settings();
  // A refused write is tried again at the next change and at close.
  bool written = true;
  if (writeValues) {
    if (const std::string problem = WriteSettingValues(store, values); problem.empty()) {
      storeHolds_ = values;
    } else {
      written = false;
      TellSaveProblem(problem);
    }
  }
  if (writeEntry) {
    if (const std::string problem = WriteStartupEntry(store, startAtLogin, platform_.ExecutablePath());
        problem.empty()) {
      storeHoldsStartAtLogin_ = startAtLogin;
    } else {
      written = false;
      storeHoldsStartAtLogin_.reset();
      TellSaveProblem(problem);
    }
  }
  if (written) toldSaveProblems_.clear();
}

// A store that refuses every write would otherwise bring the same message
// after every drag.
void MainWindow::TellSaveProblem(const std::string& message) {
  if (std::find(toldSaveProblems_.begin(), toldSaveProblems_.end(), message) != toldSaveProblems_.end()) return;
  toldSaveProblems_.push_back(message);
  platform_.ShowMessage(message, MessageKind::Error);
}

}  // namespace gd
