// The main window `frmMain`: the owner of all program state, and the handlers
// that the backend's events reach. State is grouped by the part of the program
// that owns it, each with its fixed start values.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/frame_buffer.h"
#include "base/random.h"
#include "base/region.h"
#include "calendar/countdown_dates.h"
#include "i18n/translation.h"
#include "images/catalogue.h"
#include "app/pointer_gesture.h"
#include "app/presented_frames.h"
#include "platform/platform.h"
#include "scene/compositor.h"
#include "scene/countdown.h"
#include "settings/choices.h"
#include "settings/menu.h"
#include "settings/placement.h"
#include "settings/settings.h"

namespace gd {

// The two timers' start intervals, in milliseconds (the speeds set the frame
// timer's later ones).
inline constexpr uint32_t kGarlandIntervalMs = 20;
inline constexpr uint32_t kCountSnowIntervalMs = 200;
// How late the snow's timer may fire, so that it rides on a frame tick (the
// frames come every 20 ms, or 10 when quickest) rather than wake the system
// on its own.
inline constexpr uint32_t kCountSnowSlackMs = 25;
// The frame timer's least interval while the system saves power: the globe
// still animates, at ten frames a second.
inline constexpr uint32_t kPowerSavingIntervalMs = 100;

// The failure texts of a present.
// The failure texts of a present (shown in the user's language).
inline constexpr const char* kBaseLayerPresentFailure = N_("No!!!!!");
inline constexpr const char* kFramePresentFailure = N_("UpdateLayeredWindow error");

// The compositor's probe points, relative to the window's top-left corner:
// one on the glass at its upper left, one on the wooden stand.
inline constexpr Point kProbePoint1{75, 40};
inline constexpr Point kProbePoint2{220, 220};

class MainWindow : public WindowEvents {
 public:
  // Creates the window from the decoded catalogue and presents its base layer.
  // `args` are the program's arguments after the options (the first one may
  // be "add").
  MainWindow(Platform& platform, const SceneCatalogue& catalogue, std::vector<std::string> args);
  ~MainWindow() override;

  // --- Lifecycle --------------------------------------------------------------
  void Shown() override;
  void Tick(TimerId id) override;
  // The mouse's buttons on the globe: a move of the window or the popup
  // menu, as the PointerGesture says.
  void PointerPressed(MouseButton button, Point at, uint32_t time) override;
  void PointerMoved(Point at, uint32_t time) override;
  void PointerReleased(MouseButton button, Point at, uint32_t time) override;
  void MoveEnded() override;
  // The user drags the window: the stirred snow follows the glass's motion.
  void WindowMoved(Point position, uint32_t tick) override;
  void WindowPlaced(Point position) override { position_ = position; }
  void MenuItemChosen(std::string_view itemName) override;
  bool CloseRequested() override;
  void Destroyed() override;
  // The popup menu with its live check marks.
  PopupMenu PopupMenuItems() const { return ToPopupMenu(menu_, choices_); }
  void MonitorsChanged() override;
  // Whether anyone can see the globe follows SeenFrom, with the on-top
  // choice as the window was last given it.
  void SightChanged(const Sight& sight) override;
  void PowerSavingChanged(bool on) override;
  // The own page did not open: the user is told where it is.
  void UrlNotOpened(std::string_view url) override;

  // --- The layered surface ----------------------------------------------------
  void PrepareBaseLayer();
  void SetOpacity(uint8_t value);
  // Presents `frame` in `buffer`, lent for it: `changed` is where it may
  // differ from the frame composed before it. With `composed` (what
  // composing it there wrote) it was composed in the buffer itself;
  // otherwise it is copied in where the buffer lacks it or it changed.
  void PresentFrame(const Platform::LentBuffer& buffer, const FrameBuffer& frame, const RowStretches& changed,
                    const RowStretches* composed, const char* failureText);

  // --- The display scale ------------------------------------------------------
  // Draws the globe at `quarters` (base/scale.h) from now on: a frame, base
  // layer and shape of that many device pixels, the scene unchanged, the
  // window where it is. False when it was drawn at that scale already.
  bool ApplyScale(int quarters);
  int ScaleQuarters() const { return compositor_.Device().Quarters(); }
  // The system's scale changed: the globe follows when its size is Automatic.
  void ScaleChanged(double displayScale) override;
  // The system's display scale, in quarters.
  int SystemScaleQuarters() const;

  // --- The compositor ---------------------------------------------------------
  void RenderFrame();
  // The snow's density takes one step (the slower timer).
  void DriftSnow();

  // --- The countdown ----------------------------------------------------------
  void ComputeCountdownDates();
  // The number on the plaque now; none while no countdown is shown.
  std::optional<int32_t> CountdownDays();

  // --- Settings -----------------------------------------------------------------
  void LoadSettings();
  // The close's save: whatever the store does not hold yet, and the
  // start-at-login entry.
  void SaveSettings();
  // A setting changed (a menu choice, the end of a drag, the monitors or the
  // scale): it is written on the next tick of the snow's timer.
  void SettingsChanged();
  // Seeds the random generator from the performance counter or the tick count.
  void Randomize();

  // --- Menu commands --------------------------------------------------------------
  // Carries out an item's command: what the choices, as they stand, mean for
  // the window. False when the item has none.
  bool RunMenuCommand(std::string_view itemName);
  // Opens the globe's own page in the user's language (app/own_page.cpp).
  void OpenOwnPage();

  // --- Read access for tests and tools ------------------------------------------
  const FrameBuffer* BaseBitmap() const { return baseBitmap_.get(); }
  uint8_t Opacity() const { return opacity_; }
  int32_t StepDelayMs() const { return stepDelayMs_; }
  uint32_t LastStepTick() const { return lastStepTick_; }
  const MenuModel& Menu() const { return menu_; }
  const Choices& CurrentChoices() const { return choices_; }
  bool SnowEnabled() const { return choices_.snow; }
  bool Seen() const { return seen_; }
  // Where the window stands, as far as the core knows (see WindowPlaced).
  Point Position() const { return position_; }
  uint32_t FrameTimerIntervalMs() const;
  const SkyState& Sky() const { return scene_.sky; }
  const SnowState& Snow() const { return scene_.snow; }
  const SnowDriftState& Drift() const { return scene_.drift; }
  const StirredSnowState& StirredSnow() const { return scene_.stirred; }

 private:
  // Sets the frame timer and the step delay for a speed.
  void ApplySpeed(const Speed& speed);
  // Draws the globe at a size's scale; `chosen` (from the menu, not loaded)
  // places the globe for its new size.
  void ApplySize(const DisplaySize& size, bool chosen);
  // The globe's size in device pixels at its scale.
  Size GlobeSize() const;
  // Moves the window where PlaceGlobe says, if it can place itself and is
  // not there already.
  void TakePlace(const PlaceRequest& request);
  // Applies the step clock at tick count `now`: whether this call is an
  // animation step.
  bool StepClock(uint32_t now);
  // Whether the user can see the window at one of the two probe points.
  bool WindowExposed();
  // Runs the frame timer's calls (at the speed's interval) that have fallen
  // due since the last one and were not made: the scene moves as those
  // frames would have moved it without snow, nothing is drawn. With
  // `leaveOne` the last call due is left to a frame that is drawn.
  void CatchUpUnseenFrames(bool leaveOne = false);
  // (Re)starts the frame timer at FrameTimerIntervalMs, or stops it while unseen.
  void RestartFrameTimer();
  // Somebody can see the globe again, or nobody can any more.
  void ApplySeen(bool seen);
  // Carries out what a pointer event meant.
  void Act(PointerGesture::Act act);
  // Writes the values when the store does not hold them yet, and the
  // start-at-login entry when that choice changed or `closing`.
  void WriteSettingsNow(bool closing);
  // Shows a failed write's message, once for each cause until a write works.
  void TellSaveProblem(const std::string& message);

  Platform& platform_;
  const SceneCatalogue& catalogue_;
  // The own page last asked to open, as an address and as a path.
  std::string pageUrl_, pagePath_;
  std::vector<std::string> args_;

  // The globe and its outline, resolved once when the window is created.
  const SceneImage* imgTree_;
  const SceneImage* imgMask_;

  // Layered surface.
  std::unique_ptr<PngImage> basePng_;
  std::unique_ptr<FrameBuffer> baseBitmap_;
  uint8_t opacity_ = 0;
  bool presentFailureOpen_ = false;  // one failure message at a time
  // The damage of the frames the window was given lately.
  PresentedFrames presented_;

  // What the window can do, asked when it is shown (the scale kept up by
  // ScaleChanged), and where it stands: where it was moved, where the
  // user's move took it, where the system placed it.
  WindowCapabilities capabilities_;
  Point position_{0, 0};

  // The step clock and the frame timer.
  int32_t stepDelayMs_ = 0;
  uint32_t frameIntervalMs_ = kGarlandIntervalMs;
  uint32_t lastStepTick_ = 0;
  uint32_t lastFrameTick_ = 0;  // the frame timer's last call, drawn or not
  bool seen_ = true;            // anyone can see the window
  Sight sight_;                 // what the backend last knew of that
  bool keptOnTop_ = false;      // the window was last asked to stay on top
  PointerGesture gesture_;
  bool powerSaving_ = false;    // the system saves power

  // The scene and the compositor that draws it.
  SceneState scene_;
  Compositor compositor_;

  // Countdown targets, fixed when the window is shown (none in year 9999).
  std::optional<CountdownTargets> countdownTargets_;
  // The last number for the plaque, for the choices it was worked out for,
  // and for how long from its tick it stands.
  struct KnownCountdown {
    uint32_t choices;  // choicesVersion_
    std::optional<int32_t> days;
    uint32_t tick;
    uint32_t lifeMs;
  };
  std::optional<KnownCountdown> countdownKnown_;

  // The user's choices, and the menu that shows them.
  Choices choices_;
  MenuModel menu_;
  // Changes whenever the choices may have changed: what was worked out from
  // them stands while this stays the same.
  uint32_t choicesVersion_ = 0;
  // Settings: saved at close only once they have been loaded, so that a
  // window that never finished showing cannot overwrite them with defaults.
  bool settingsLoaded_ = false;
  // A change waits for the snow's next tick (see SettingsChanged).
  bool settingsDue_ = false;
  // What the store holds, as far as this window knows: found there at the
  // start or written since. Unknown until then.
  std::optional<SettingValues> storeHolds_;
  std::optional<bool> storeHoldsStartAtLogin_;
  // The failed writes' messages already shown.
  std::vector<std::string> toldSaveProblems_;

  // The program-wide random generator.
  Random random_;
  // The stirred flakes in flight that the trace last told of.
  int32_t tracedStirred_ = 0;
};

}  // namespace gd
