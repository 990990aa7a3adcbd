#include "platform/headless/headless_platform.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <utility>

#include "platform/shared/window_content.h"

#ifdef GLIMMERDOME_HAVE_KEYFILE_STORE
#include "platform/linux/keyfile_store.h"
#endif
#ifdef GLIMMERDOME_HAVE_ICU
#include "platform/icu/icu_date.h"
#endif

namespace gd {
namespace {

// The local calendar fields of a moment. The thread-safe call has another
// name in the Windows C runtime.
std::tm LocalCalendar(std::time_t t) {
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  return tm;
}

}  // namespace

// --- The platform --------------------------------------------------------------

HeadlessPlatform::HeadlessPlatform(HeadlessOptions options)
    : options_(std::move(options)), settings_(std::make_unique<MemorySettingsStore>()) {
#ifdef GLIMMERDOME_HAVE_KEYFILE_STORE
  if (!options_.settingsPath.empty())
    settings_ = std::make_unique<KeyFileSettingsStore>(options_.settingsPath,
                                                       options_.settingsPath + ".autostart.desktop");
#endif
  if (!options_.tracePath.empty()) {
    // Binary, so that lines end in \n on every system and traces compare byte for byte.
    trace_ = std::fopen(options_.tracePath.c_str(), "wb");
    if (!trace_) outputError_ = "cannot write " + options_.tracePath + ": " + std::strerror(errno);
  }
  if (!options_.at) {
    // The real local time, read once; from here on time is virtual.
    const auto nowPoint = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(nowPoint);
    const std::tm tm = LocalCalendar(t);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(nowPoint.time_since_epoch()).count() % 1000;
    options_.at = LocalDateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                                tm.tm_min,         tm.tm_sec,     static_cast<int>(ms)};
  }
}

HeadlessPlatform::~HeadlessPlatform() {
  if (trace_) std::fclose(trace_);
}

bool HeadlessPlatform::MakeDesktopOrnament(std::string* errorText) {
  if (ornamentFails_) {
    if (errorText) *errorText = "Access is denied";
    return false;
  }
  ornament_ = true;
  return true;
}

void HeadlessPlatform::SetWindowSize(int width, int height) { size_ = {width, height}; }

Platform::LentBuffer HeadlessPlatform::LendBuffer(int width, int height, uint8_t constantAlpha) {
  if (width <= 0 || height <= 0) return {};
  if (buffersSize_.width != width || buffersSize_.height != height) {
    for (Buffer& b : buffers_) b = Buffer{std::vector<uint8_t>(static_cast<size_t>(width) * height * 4, 0), 0};
    buffersSize_ = {width, height};
  }
  Buffer& b = buffers_[nextBuffer_];
  nextBuffer_ = (nextBuffer_ + 1) % kBuffers;
  LentBuffer lent;
  lent.pixels = b.pixels.data();
  lent.width = width;
  lent.height = height;
  lent.stride = width * 4;
  lent.age = b.shownAt ? static_cast<int>(presents_ - b.shownAt + 1) : 0;
  lent.constantAlpha = constantAlpha;
  return lent;
}

bool HeadlessPlatform::KeepsToDamage(const LentBuffer& buffer, const RowStretches& changed) {
  const int width = buffer.width, height = buffer.height;
  const auto fail = [&](const std::string& what) {
    if (contractError_.empty()) {
      contractError_ = "frame " + std::to_string(presents_ + 1) + " " + what;
      std::fprintf(stderr, "glimmerdome: error: %s\n", contractError_.c_str());
    }
    return false;
  };
  if (changed.size() != static_cast<size_t>(height)) return fail("has damage for another number of rows");
  // A new size: everything changed.
  const bool sameSize = lastFrame_.width == width && lastFrame_.height == height;
  for (int y = 0; y < height; ++y) {
    const int from = std::clamp(changed[y].first, 0, width), to = std::clamp(changed[y].second, from, width);
    const bool none = changed[y].first >= changed[y].second;
    if (!sameSize) {
      if (none || from > 0 || to < width) return fail("has a new size but is not damaged whole");
      continue;
    }
    const uint8_t* shown = lastFrame_.Row(y);
    const uint8_t* now = buffer.pixels + static_cast<size_t>(y) * buffer.stride;
    const auto differs = [&](int b, int e) {
      const int x = DifferingStretch(shown, now, b, e).first;
      return x < e ? x : -1;
    };
    const int x = none ? differs(0, width) : std::max(differs(0, from), differs(to, width));
    if (x >= 0)
      return fail("changed pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") outside its damage");
  }
  return true;
}

bool HeadlessPlatform::PresentFrame(const LentBuffer& buffer, const RowStretches& /*written*/, const RowStretches& changed) {
  Buffer* lent = nullptr;
  for (Buffer& b : buffers_)
    if (buffer.pixels && buffer.pixels == b.pixels.data() && buffer.width == buffersSize_.width &&
        buffer.height == buffersSize_.height)
      lent = &b;
  if (!lent) {
    if (contractError_.empty()) {
      contractError_ = "frame " + std::to_string(presents_ + 1) + " is not in a buffer the window lent";
      std::fprintf(stderr, "glimmerdome: error: %s\n", contractError_.c_str());
    }
    return false;
  }
  // Written in and not shown: what it holds is not known from here on.
  lent->shownAt = 0;
  if (presentFails_ || !ornament_) return false;
  if (!KeepsToDamage(buffer, changed)) return false;
  // The frame shown: the last one, with its damage from the buffer.
  if (lastFrame_.width != buffer.width || lastFrame_.height != buffer.height) {
    lastFrame_ = FrameBuffer(buffer.width, buffer.height);
    std::memcpy(lastFrame_.Data(), buffer.pixels, lastFrame_.Bytes());
  } else {
    for (int y = 0; y < buffer.height; ++y) {
      const int from = std::clamp(changed[y].first, 0, buffer.width), to = std::clamp(changed[y].second, from, buffer.width);
      std::memcpy(lastFrame_.Row(y) + from * 4, buffer.pixels + static_cast<size_t>(y) * buffer.stride + from * 4,
                  static_cast<size_t>(to - from) * 4);
    }
  }
  lent->shownAt = ++presents_;
  lastAlpha_ = buffer.constantAlpha;
  return true;
}

void HeadlessPlatform::SetWindowRegion(const Region& region) {
  region_ = region;
  hasRegion_ = true;
  const Rect& b = region.Bounds();
  insideRegion_.assign(static_cast<size_t>(std::max(0, b.right)) * std::max(0, b.bottom), 0);
  for (const Rect& r : region.Rectangles())
    for (int y = std::max(0, r.top); y < r.bottom; ++y)
      for (int x = std::max(0, r.left); x < r.right; ++x) insideRegion_[static_cast<size_t>(y) * b.right + x] = 1;
}

RgbaImage HeadlessPlatform::AsSeen(const FrameBuffer& frame, uint8_t alpha) const {
  const bool shaped = hasRegion_ && region_.Bounds() == Rect{0, 0, frame.width, frame.height};
  return FrameToRgba(frame, alpha, shaped ? &insideRegion_ : nullptr);
}

bool HeadlessPlatform::IsWindowVisibleAt(int screenX, int screenY) {
  for (const Point& p : options_.coveredPoints)
    if (p.x == screenX && p.y == screenY) return false;
  const int x = screenX - position_.x;
  const int y = screenY - position_.y;
  if (x < 0 || y < 0 || x >= size_.width || y >= size_.height) return false;
  return !hasRegion_ || region_.Contains(x, y);
}

void HeadlessPlatform::PlaceWindow(Point position) {
  position_ = position;
  if (lifecycle_ && !closed_) lifecycle_->WindowPlaced(position);
}

void HeadlessPlatform::SetMonitors(std::vector<Monitor> monitors) {
  options_.monitors = std::move(monitors);
  if (lifecycle_ && !closed_) lifecycle_->MonitorsChanged();
}

void HeadlessPlatform::SetTimer(TimerId id, uint32_t intervalMs, uint32_t /*slackMs*/) {
  if (intervalMs == 0) intervalMs = 1;
  auto it = timers_.find(id);
  if (it == timers_.end()) {
    timers_[id] = Timer{intervalMs, now_ + intervalMs, nextTimerOrder_++};
  } else {
    it->second.interval = intervalMs;
    it->second.due = now_ + intervalMs;
  }
}

void HeadlessPlatform::StopTimer(TimerId id) {
  auto it = timers_.find(id);
  if (it != timers_.end()) it->second.due = kStopped;
}

void HeadlessPlatform::SetSight(const Sight& sight) {
  if (lifecycle_ && !closed_) lifecycle_->SightChanged(sight);
}

void HeadlessPlatform::SetPowerSaving(bool on) {
  if (lifecycle_ && !closed_) lifecycle_->PowerSavingChanged(on);
}

std::optional<uint32_t> HeadlessPlatform::TimerInterval(TimerId id) const {
  auto it = timers_.find(id);
  if (it == timers_.end() || it->second.due == kStopped) return std::nullopt;
  return it->second.interval;
}

uint32_t HeadlessPlatform::TickCount() { return static_cast<uint32_t>(options_.tickStart + now_); }

LocalDateTime HeadlessPlatform::LocalTime() {
  // Wall-clock arithmetic on the calendar alone, with no time zone, so that
  // adding virtual time never meets a daylight-saving jump.
  using namespace std::chrono;
  const LocalDateTime& at = *options_.at;
  const year_month_day startDate{year{at.year}, month{static_cast<unsigned>(at.month)},
                                 day{static_cast<unsigned>(at.day)}};
  const sys_time<milliseconds> now = sys_days{startDate} + hours{at.hour} + minutes{at.minute} +
                                     seconds{at.second} + milliseconds{at.millisecond} +
                                     milliseconds{static_cast<int64_t>(now_)};
  const sys_days today = floor<days>(now);
  const year_month_day date{today};
  const hh_mm_ss<milliseconds> time{now - today};
  return LocalDateTime{static_cast<int>(date.year()),
                       static_cast<int>(static_cast<unsigned>(date.month())),
                       static_cast<int>(static_cast<unsigned>(date.day())),
                       static_cast<int>(time.hours().count()),
                       static_cast<int>(time.minutes().count()),
                       static_cast<int>(time.seconds().count()),
                       static_cast<int>(time.subseconds().count())};
}

LongDateFormat HeadlessPlatform::UserDateFormat() {
#ifdef GLIMMERDOME_HAVE_ICU
  return IcuLongDateFormat(options_.timeLocale);
#else
  return LongDateFormat{};
#endif
}

std::optional<uint64_t> HeadlessPlatform::PerformanceCounter() {
  // A virtual counter at 10 MHz.
  return (static_cast<uint64_t>(options_.tickStart) + now_) * 10000 + 12345;
}

void HeadlessPlatform::ShowMessage(const std::string& text, MessageKind kind) {
  messages_.emplace_back(kind, text);
  std::fprintf(stderr, "glimmerdome: %s: %s\n", kind == MessageKind::Error ? "error" : "message", text.c_str());
}

std::string HeadlessPlatform::PageFolder(std::string* problem) {
  if (options_.pageFolder.empty() && problem) *problem = "no page is installed with the program";
  return options_.pageFolder;
}

void HeadlessPlatform::Write(std::string_view event, std::string_view fieldsJson) {
  if (!trace_) return;
  std::fprintf(trace_, "{\"t\": %llu, \"ev\": \"%.*s\"%s%.*s}\n",
               static_cast<unsigned long long>(now_ - shownAt_), static_cast<int>(event.size()), event.data(),
               fieldsJson.empty() ? "" : ", ", static_cast<int>(fieldsJson.size()), fieldsJson.data());
}

void HeadlessPlatform::FrameRendered() {
  ++framesRendered_;
  if (!options_.recordPath.empty()) RecordFrame(lastFrame_, lastAlpha_);
}

void HeadlessPlatform::RecordFrame(const FrameBuffer& frame, uint8_t alpha) {
  if (frame.Empty()) return;
  if (!record_.IsOpen()) {
    if (!outputError_.empty() || !record_.Open(options_.recordPath, static_cast<uint32_t>(frame.width), static_cast<uint32_t>(frame.height), &outputError_))
      return;
    recordSize_ = {static_cast<uint32_t>(frame.width), static_cast<uint32_t>(frame.height)};
  }
  if (hasPendingRecordFrame_)
    record_.AddFrame(pendingRecordFrame_, static_cast<uint32_t>(now_ - pendingRecordAt_));
  pendingRecordFrame_ = AsSeen(frame, alpha);
  // A new size (the globe's scale changed) keeps the recording's: the frame
  // from its top-left corner, cut or padded with transparency.
  if (pendingRecordFrame_.width != recordSize_.width || pendingRecordFrame_.height != recordSize_.height) {
    RgbaImage fitted{recordSize_.width, recordSize_.height,
                     std::vector<uint8_t>(static_cast<size_t>(recordSize_.width) * recordSize_.height * 4, 0)};
    const uint32_t w = std::min(fitted.width, pendingRecordFrame_.width);
    for (uint32_t y = 0; y < std::min(fitted.height, pendingRecordFrame_.height); ++y)
      std::copy_n(&pendingRecordFrame_.pixels[static_cast<size_t>(y) * pendingRecordFrame_.width * 4], w * 4,
                  &fitted.pixels[static_cast<size_t>(y) * fitted.width * 4]);
    pendingRecordFrame_ = std::move(fitted);
  }
  pendingRecordAt_ = now_;
  hasPendingRecordFrame_ = true;
}

void HeadlessPlatform::Show(WindowEvents& events) {
  lifecycle_.emplace(*this, events);
  shownAt_ = now_;
  lifecycle_->Show();
}

void HeadlessPlatform::Choose(std::string_view itemName) {
  if (!lifecycle_ || closed_) return;
  Press(MouseButton::Right);
  Release();
  if (shownMenu_) {
    shownMenu_.reset();
    lifecycle_->MenuItemChosen(itemName);
  }
  if (closeRequested_) RequestClose();
}

void HeadlessPlatform::Press(MouseButton button) {
  if (!lifecycle_ || closed_ || held_) return;
  held_ = button;
  grab_ = {size_.width / 2, size_.height / 2};
  pointer_ = {position_.x + grab_.x, position_.y + grab_.y};
  lifecycle_->PointerPressed(button, pointer_, TickCount());
}

bool HeadlessPlatform::DragTo(Point position) {
  if (!held_ || closed_) return false;
  pointer_ = {position.x + grab_.x, position.y + grab_.y};
  lifecycle_->PointerMoved(pointer_, TickCount());
  if (!moving_ || closed_) return false;
  position_ = position;
  lifecycle_->WindowMoved(position, TickCount());
  return true;
}

void HeadlessPlatform::Release() {
  if (!held_) return;
  const MouseButton button = *held_;
  held_.reset();
  if (closed_) {
    moving_ = false;
    return;
  }
  if (moving_) {
    moving_ = false;
    lifecycle_->MoveEnded();
  }
  lifecycle_->PointerReleased(button, pointer_, TickCount());
}

void HeadlessPlatform::Shake(uint32_t times, int reachPx) {
  if (times == 0 || closed_) return;
  const Point start = position_;
  // Towards the middle of the primary monitor (the first when none is marked).
  Rect screen{0, 0, 0, 0};
  for (const Monitor& m : options_.monitors)
    if (m.primary || screen.Empty()) screen = m.bounds;
  const int towardsMiddle = start.x + size_.width / 2 > (screen.left + screen.right) / 2 ? -1 : 1;
  const auto done = [&] { return closed_ || (options_.frames && framesRendered_ >= options_.frames); };
  Press(MouseButton::Left);
  constexpr int kSteps = static_cast<int>(kShakeLegMs / kShakeStepMs);
  for (uint32_t n = 0; n < times && !done(); ++n)
    for (int step = 1; step <= 2 * kSteps && !done(); ++step) {
      RunFor(kShakeStepMs);
      if (done()) break;
      const int out = step <= kSteps ? step : 2 * kSteps - step;
      DragTo({start.x + towardsMiddle * reachPx * out / kSteps, start.y});
    }
  // Cut short, the hand still puts the globe back.
  if (!closed_ && (position_.x != start.x || position_.y != start.y)) DragTo(start);
  Release();
}

bool HeadlessPlatform::RequestClose() {
  closeRequested_ = false;
  if (!lifecycle_ || closed_) return closed_;
  if (!lifecycle_->RequestClose()) return false;
  closed_ = true;
  timers_.clear();
  return true;
}

bool HeadlessPlatform::Step() {
  if (closed_ || timers_.empty()) return false;
  if (options_.frames && framesRendered_ >= options_.frames) return false;
  auto next = std::min_element(timers_.begin(), timers_.end(), [](const auto& a, const auto& b) {
    return a.second.due != b.second.due ? a.second.due < b.second.due : a.second.order < b.second.order;
  });
  if (next->second.due == kStopped) return false;
  const TimerId id = next->first;
  now_ = next->second.due;
  next->second.due += next->second.interval;
  if (lifecycle_) lifecycle_->Tick(id);
  if (closeRequested_) RequestClose();
  return !closed_;
}

void HeadlessPlatform::RunFor(uint64_t ms) {
  const uint64_t end = now_ + ms;
  while (!closed_ && !timers_.empty()) {
    if (options_.frames && framesRendered_ >= options_.frames) break;
    uint64_t due = UINT64_MAX;
    for (const auto& [id, t] : timers_) due = std::min(due, t.due);
    if (due > end) break;
    if (!Step()) break;
  }
  if (!closed_ && now_ < end) now_ = end;
}

int HeadlessPlatform::RunMessageLoop(WindowEvents& events) {
  Show(events);
  for (const std::string& name : options_.choose) {
    if (closed_) break;
    Choose(name);
  }
  Shake(options_.shakes);
  while (Step()) {
  }
  // The run ends like a desktop session: the window is asked to close.
  if (!closed_) RequestClose();
  std::string error;
  if (!WriteOutputs(&error)) {
    std::fprintf(stderr, "glimmerdome: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

bool HeadlessPlatform::WriteOutputs(std::string* error) {
  if (!outputError_.empty() || !contractError_.empty()) {
    if (error) *error = outputError_.empty() ? contractError_ : outputError_;
    return false;
  }
  if (hasPendingRecordFrame_) {
    record_.AddFrame(pendingRecordFrame_, 20);
    hasPendingRecordFrame_ = false;
    if (!record_.Finish(error)) return false;
  }
  if (!options_.snapshotPath.empty()) {
    if (lastFrame_.Empty()) {
      if (error) *error = "no frame was presented, so there is no snapshot";
      return false;
    }
    if (!WritePng(options_.snapshotPath, AsSeen(lastFrame_, lastAlpha_), error)) return false;
  }
  if (!options_.dumpPath.empty()) {
    std::FILE* f = std::fopen(options_.dumpPath.c_str(), "wb");
    bool ok = f && std::fwrite(lastFrame_.pixels.data(), 1, lastFrame_.pixels.size(), f) == lastFrame_.pixels.size();
    if (f) ok = (std::fclose(f) == 0) && ok;
    if (!ok) {
      if (error) *error = "cannot write " + options_.dumpPath;
      return false;
    }
  }
  if (trace_) std::fflush(trace_);
  return true;
}

RgbaImage FrameToRgba(const FrameBuffer& frame, uint8_t constantAlpha, const std::vector<uint8_t>* inside) {
  RgbaImage out;
  out.width = static_cast<uint32_t>(frame.width);
  out.height = static_cast<uint32_t>(frame.height);
  out.pixels.resize(frame.pixels.size());
  for (size_t i = 0; i + 3 < frame.pixels.size(); i += 4) {
    const unsigned a = frame.pixels[i + 3];
    uint8_t* o = &out.pixels[i];
    if (a == 0 || (inside && !(*inside)[i / 4])) {
      o[0] = o[1] = o[2] = o[3] = 0;
      continue;
    }
    // Un-premultiply; a blended byte may exceed its alpha, so clamp.
    for (int c = 0; c < 3; ++c) {
      const unsigned v = (frame.pixels[i + 2 - c] * 255u + a / 2) / a;
      o[c] = static_cast<uint8_t>(v > 255 ? 255 : v);
    }
    o[3] = static_cast<uint8_t>((a * constantAlpha + 127) / 255);
  }
  return out;
}

}  // namespace gd
