#include "scene/compositor.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "scene/countdown.h"

namespace gd {
namespace {

// Copies columns [from, to) of row y between two frames of one size.
void CopyStretch(FrameBuffer& to, const FrameBuffer& from, int y, int first, int last) {
  if (first < last)
    std::memcpy(to.Row(y) + first * 4, from.Row(y) + first * 4, static_cast<size_t>(last - first) * 4);
}

}  // namespace

Compositor::Compositor(const SceneCatalogue& catalogue)
    : catalogue_(catalogue), imgDay_(&RequireSceneImage(catalogue, "imgDay")) {
  for (size_t i = 0; i < kFixedPictureCount; ++i) fixedPictures_[i] = &RequireSceneImage(catalogue, kFixedPictureNames[i]);
  // The series are found by their built names once, not on every frame.
  skySprites_ = ResolveSkySprites(catalogue);
  snowSprites_ = ResolveSnowSprites(catalogue);
  stirredSprites_ = ResolveStirredSprites(catalogue);
  if (const SceneImage& mask = RequireSceneImage(catalogue, "imgMask"); mask.bitmap)
    glass_ = GlassOutlineFromMask(*mask.bitmap);
  flakes_.resize(std::size(kLayers));
  deviceFlakes_.resize(std::size(kLayers));
}

void Compositor::SetScale(int quarters) {
  device_.SetScale(catalogue_, quarters);
  stripKeysFor_ = nullptr;  // its pictures are made anew
  keptSkyDraws_.clear();
  frameOnKept_ = false;
  countdownDays_.reset();  // its rectangle is at the old scale
}

void Compositor::SetBase(const FrameBuffer& base) {
  std::vector<const SceneImage*> pictures;
  for (const SceneImage* picture : fixedPictures_) pictures.push_back(&device_.Of(*picture));
  fixedLayers_.Build(base, std::move(pictures));
  keptSkyDraws_.clear();
  frameOnKept_ = false;
}

const FrameBuffer& Compositor::Compose(SceneState& scene, Random& random, const FrameRequest& request,
                                       DrawObserver* observer, const ComposeTarget& into) {
  observer_ = observer;
  // The memory: lent memory holds the previous frame but for what it lacks;
  // the own memory holds it when the previous call composed there.
  const int width = FrameWidth(), height = FrameHeight();
  lacks_ = nullptr;
  if (into.memory.lent && into.memory.width == width && into.memory.height == height) {
    frame_ = into.memory;
    if (into.lacks && into.lacks->size() == static_cast<size_t>(height))
      lacks_ = into.lacks;
    else
      frameOnKept_ = false;
  } else if (frame_.lent) {
    frame_ = FrameBuffer();  // memory of its own again, composed whole
    frameOnKept_ = false;
  }
  // The sky strip, where the previous call's sky step left it; then the sky
  // step, which moves the sky, sun and moon and notes where they are drawn.
  skyDraws_.clear();
  skyDraws_.push_back({imgDay_, 45, scene.sky.SkyOffset});
  SkyStep(scene.sky, request.step, skySprites_, *this);
  // The snow moves before anything is drawn, so that the call knows where
  // it changes the frame; the layers still take their random numbers in order.
  for (std::vector<PlacedImage>& flakes : flakes_) flakes.clear();
  for (std::vector<PlacedImage>& flakes : deviceFlakes_) flakes.clear();
  if (request.snowFalls)
    StepSnow(scene, random, request.tick);
  else
    snowRows_.assign(static_cast<size_t>(WholeFrame().bottom), {0, 0});
  if (request.countdownDays && countdownDays_ != *request.countdownDays) PlaceCountdownDraws(*request.countdownDays);
  for (size_t i = 0; i < std::size(kLayers); ++i) DrawLayer(i, request);
  std::swap(lastSnowRows_, snowRows_);
  lastDays_ = request.countdownDays;
  lastCountdownBox_ = request.countdownDays ? countdownBox_ : Rect{};
  observer_ = nullptr;
  return frame_;
}

void Compositor::AdvanceUnseen(SceneState& scene, bool step) const {
  struct DrawsNothing : ScenePainter {
    void Draw(const SceneImage&, int, int) override {}
  } nothing;
  // The snow, the fixed layers and the plaque change no state without snow.
  SkyStep(scene.sky, step, skySprites_, nothing);
}

void Compositor::DrawLayer(size_t index, const FrameRequest& request) {
  const Layer& layer = kLayers[index];
  switch (layer.kind) {
    case LayerKind::Sky:
      ComposeSky(request);
      break;
    case LayerKind::Snow:
    case LayerKind::Stirred: {
      // The flakes lie within snowRows_, inside area_.
      const std::vector<PlacedImage>& drawn = device_.Scaled() ? deviceFlakes_[index] : flakes_[index];
      BlendImages(frame_, drawn.data(), drawn.size(), fixedLayers_.Visible(nextFixedLayer_));
      if (observer_)
        for (const PlacedImage& f : flakes_[index]) {
          if (layer.kind == LayerKind::Snow)
            Report(*f.image, f.x, f.y);
          else
            observer_->OnStirredDraw(*f.image, f.x, f.y);
        }
      break;
    }
    case LayerKind::Fixed:
      DrawFixed(static_cast<size_t>(layer.first));
      break;
    case LayerKind::Countdown:
      if (request.countdownDays) DrawCountdown(*request.countdownDays);
      break;
  }
}

void Compositor::Draw(const SceneImage& image, int x, int y) { skyDraws_.push_back({&image, x, y}); }

void Compositor::Blend(FrameBuffer& target, const SceneImage& image, int x, int y, const RowStretches* within) {
  // The scene's place, times the display scale, with the picture at that scale.
  BlendImage(target, device_.Of(image), device_.Place(x), device_.Place(y), fixedLayers_.Visible(nextFixedLayer_),
             within);
}

void Compositor::DrawFixed(size_t picture) {
  fixedLayers_.Draw(frame_, picture, area_);
  nextFixedLayer_ = picture + 1;
  Report(*fixedPictures_[picture], 0, 0);
}

const std::vector<uint32_t>& Compositor::StripRowKeys(const SceneImage& strip) {
  if (stripKeysFor_ != &strip) {
    const size_t rowBytes = static_cast<size_t>(strip.width) * 4;
    const bool whole = strip.bgra.size() == rowBytes * strip.height;
    stripKeys_.assign(static_cast<size_t>(strip.height), 0);
    for (int j = 0; j < strip.height; ++j) {
      const uint8_t* row = strip.bgra.data() + j * rowBytes;
      const bool same = whole && j > 0 && std::memcmp(row, row - rowBytes, rowBytes) == 0;
      stripKeys_[j] = same ? stripKeys_[j - 1] : static_cast<uint32_t>(j);
    }
    stripKeysFor_ = &strip;
  }
  return stripKeys_;
}

void Compositor::AddSkyChange(const std::vector<PlacedImage>& kept, const std::vector<PlacedImage>& now,
                              RowStretches& rows) {
  // The strip goes before the stars, the sun and moon after them; each can
  // change only what the fixed pictures after it leave open.
  const auto placed = [this](const PlacedImage& d, bool strip) {
    const SceneImage& picture = device_.Of(*d.image);
    const int x = device_.Place(d.x), y = device_.Place(d.y);
    return Rect{x, y, x + picture.width, y + picture.height}.Intersected(
        fixedLayers_.VisibleBounds(strip ? kStars : kStars + 1));
  };
  // The sun and moon: where they were and where they are.
  for (const std::vector<PlacedImage>* draws : {&kept, &now})
    for (size_t i = 1; i < draws->size(); ++i) AddRect(rows, placed((*draws)[i], false));
  if (kept.empty() || now.empty()) return;
  const PlacedImage& was = kept[0];
  const PlacedImage& is = now[0];
  if (was == is) return;
  if (was.image != is.image || was.x != is.x) {
    AddRect(rows, placed(was, true));
    AddRect(rows, placed(is, true));
    return;
  }
  // The strip moved up or down. Each of its rows is one colour, and many
  // follow a row of the same colour: only the rows where the colour under
  // them changes change.
  const SceneImage& strip = device_.Of(*is.image);
  const std::vector<uint32_t>& keys = StripRowKeys(strip);
  const Rect r = placed(was, true).United(placed(is, true));
  const int wasY = device_.Place(was.y), isY = device_.Place(is.y);
  for (int y = r.top; y < r.bottom; ++y) {
    const int a = y - wasY, b = y - isY;
    const bool inA = a >= 0 && a < strip.height, inB = b >= 0 && b < strip.height;
    if (inA != inB || (inA && keys[a] != keys[b])) AddStretch(rows, y, r.left, r.right);
  }
}

void Compositor::DrawSky(const RowStretches& within) {
  // Where a fixed picture is opaque its colour is already in place. Where
  // the strip is opaque and shows, it covers whatever lay there, so only the
  // rest starts again from the base layer (the sun and moon may show where
  // the stars hide the strip).
  const SceneImage& strip = device_.Of(*skyDraws_[0].image);
  const int stripX = device_.Place(skyDraws_[0].x), stripY = device_.Place(skyDraws_[0].y);
  const bool stripRuns = strip.Drawable() && strip.runs.BuiltFor(strip.height);
  const auto copy = [&](int y, int from, int to) { CopyStretch(keptSky_, fixedLayers_.Start(), y, from, to); };
  const AlphaRuns& open = fixedLayers_.Visible(kStars).spans;
  for (int y = 0; y < static_cast<int>(within.size()) && y < keptSky_.height; ++y) {
    const int left = std::max(within[y].first, 0), right = std::min(within[y].second, keptSky_.width);
    if (left >= right) continue;
    int x = left;
    const int j = y - stripY;
    if (stripRuns && j >= 0 && j < strip.height && y >= open.firstRow && y < open.endRow) {
      // The strip's opaque runs and the row's open spans, both left to right.
      const AlphaRun* o = open.runs.data() + open.rowStart[y];
      const AlphaRun* oEnd = open.runs.data() + open.rowStart[y + 1];
      for (uint32_t r = strip.runs.rowStart[j]; r < strip.runs.rowStart[j + 1] && o != oEnd; ++r) {
        const AlphaRun& run = strip.runs.runs[r];
        if (!run.opaque) continue;
        const int b = stripX + run.begin, e = stripX + run.end;
        for (; o != oEnd && o->begin < e; ++o) {
          const int cb = std::max(b, o->begin), ce = std::min(e, o->end);
          if (cb < ce) {
            copy(y, x, std::min(cb, right));
            x = std::max(x, ce);
          }
          if (o->end > e) break;  // this open span reaches into the next run
        }
      }
    }
    copy(y, x, right);
  }
  nextFixedLayer_ = 0;
  Blend(keptSky_, *skyDraws_[0].image, skyDraws_[0].x, skyDraws_[0].y, &within);
  fixedLayers_.Draw(keptSky_, kStars, within);
  nextFixedLayer_ = kStars + 1;
  for (size_t i = 1; i < skyDraws_.size(); ++i)
    Blend(keptSky_, *skyDraws_[i].image, skyDraws_[i].x, skyDraws_[i].y, &within);
  fixedLayers_.Draw(keptSky_, kLandscape, within);
}

void Compositor::ComposeSky(const FrameRequest& request) {
  // The kept sky: drawn again only where its draws have changed.
  const bool skyChanged = keptSkyDraws_.empty() || skyDraws_ != keptSkyDraws_;
  if (keptSkyDraws_.empty()) {
    keptSky_ = fixedLayers_.Start();
    skyRows_ = WholeRows(FrameWidth(), FrameHeight());
    DrawSky(skyRows_);
  } else if (skyChanged) {
    skyRows_.assign(static_cast<size_t>(FrameHeight()), {0, 0});
    AddSkyChange(keptSkyDraws_, skyDraws_, skyRows_);
    DrawSky(skyRows_);
  }
  keptSkyDraws_ = skyDraws_;
  if (frameOnKept_) {
    // The previous frame, but where the sky changed, where flakes were or
    // are now and where the plaque changed: that area starts again from the
    // kept sky. Row by row, as the flakes lie in the glass, narrower than
    // their rectangle.
    area_ = lastSnowRows_;
    area_.resize(static_cast<size_t>(frame_.height), {0, 0});
    AddStretches(area_, snowRows_);
    if (skyChanged) AddStretches(area_, skyRows_);
    // A new number: the old plaque and the new one. (Otherwise the plaque
    // is drawn again only within the area.)
    if (request.countdownDays != lastDays_) {
      AddRect(area_, lastCountdownBox_);
      if (request.countdownDays) AddRect(area_, countdownBox_);
    }
    changed_ = area_;
    // What the memory lacks of the previous frame is composed as well.
    if (lacks_) AddStretches(area_, *lacks_);
    for (int y = 0; y < frame_.height; ++y) CopyStretch(frame_, keptSky_, y, area_[y].first, area_[y].second);
  } else {
    if (frame_.lent && frame_.width == keptSky_.width && frame_.height == keptSky_.height && frame_.Stride() == keptSky_.Stride())
      std::memcpy(frame_.Data(), keptSky_.Data(), keptSky_.Bytes());
    else if (frame_.lent && frame_.width == keptSky_.width && frame_.height == keptSky_.height)
      for (int y = 0; y < frame_.height; ++y) CopyStretch(frame_, keptSky_, y, 0, frame_.width);
    else
      frame_ = keptSky_;  // its own memory (lent memory of another size is let go)
    area_ = WholeRows(frame_.width, frame_.height);
    changed_ = area_;
  }
  frameOnKept_ = true;
  nextFixedLayer_ = kLandscape + 1;
  if (observer_) {
    Report(*skyDraws_[0].image, skyDraws_[0].x, skyDraws_[0].y);
    Report(*fixedPictures_[kStars], 0, 0);
    for (size_t i = 1; i < skyDraws_.size(); ++i) Report(*skyDraws_[i].image, skyDraws_[i].x, skyDraws_[i].y);
    Report(*fixedPictures_[kLandscape], 0, 0);
  }
}

void Compositor::StepSnow(SceneState& scene, Random& random, uint32_t tick) {
  const SnowDriftState& drift = scene.drift;
  const int width = WholeFrame().right;
  // While the flakes are placed, a row without one holds an empty stretch
  // that a flake's columns widen by a plain minimum and maximum.
  snowRows_.assign(static_cast<size_t>(WholeFrame().bottom), {INT_MAX, INT_MIN});
  for (size_t i = 0; i < std::size(kLayers); ++i) {
    const Layer& layer = kLayers[i];
    std::vector<PlacedImage>& flakes = flakes_[i];
    if (layer.kind == LayerKind::Stirred)
      StepStirredSnow(scene.stirred, glass_, tick, stirredSprites_, flakes);
    else if (layer.kind == LayerKind::Snow)
      for (int n = layer.first; n <= layer.last; ++n)
        UpdateSnowLayer(n, scene.snow, n == 1 ? drift.SnowCount1 : n == 2 ? drift.SnowCount2 : drift.SnowCount3,
                        random, snowSprites_, flakes);
    if (flakes.empty()) continue;
    const std::vector<PlacedImage>* drawn = &flakes;
    if (device_.Scaled()) {
      for (const PlacedImage& f : flakes)
        deviceFlakes_[i].push_back({&device_.Of(*f.image), device_.Place(f.x), device_.Place(f.y)});
      drawn = &deviceFlakes_[i];
    }
    const int height = static_cast<int>(snowRows_.size());
    for (const PlacedImage& f : *drawn) {
      const int from = std::max(f.x, 0), to = std::min(f.x + f.image->width, width);
      if (from >= to) continue;
      for (int y = std::max(f.y, 0), end = std::min(f.y + f.image->height, height); y < end; ++y) {
        auto& [first, second] = snowRows_[static_cast<size_t>(y)];
        first = std::min(first, from);
        second = std::max(second, to);
      }
    }
  }
  // Empty rows leave as {0, 0}: later steps take stretches apart by arithmetic.
  for (auto& row : snowRows_)
    if (row.first >= row.second) row = {0, 0};
}

void Compositor::DrawCountdown(int32_t days) {
  if (countdownDays_ != days) PlaceCountdownDraws(days);
  // Outside the area composed the frame holds this plaque already.
  const bool draw = Meets(area_, countdownBox_);
  for (const PlacedImage& d : countdownDraws_) {
    if (draw)
      BlendImage(frame_, device_.Of(*d.image), device_.Place(d.x), device_.Place(d.y),
                 fixedLayers_.Visible(nextFixedLayer_), &area_);
    Report(*d.image, d.x, d.y);
  }
}

void Compositor::PlaceCountdownDraws(int32_t days) {
  const auto widthOf = [this](std::string_view name) -> std::optional<int> {
    const SceneImage* image = catalogue_.FindSceneImage(name);
    return image ? std::optional<int>(image->width) : std::nullopt;
  };
  // The word in the user's language where the program has its picture;
  // "day" and "days" otherwise.
  std::string label = TranslatedLabelImage(days);
  if (!label.empty() && !catalogue_.FindSceneImage(label)) label.clear();
  countdownDraws_.clear();
  countdownBox_ = Rect{};
  for (const CountdownDraw& d : PlaceCountdown(days, widthOf, label)) {
    const SceneImage* image = catalogue_.FindSceneImage(d.name);
    if (!image) continue;
    countdownDraws_.push_back({image, d.x, d.y});
    const SceneImage& picture = device_.Of(*image);
    const int x = device_.Place(d.x), y = device_.Place(d.y);
    countdownBox_ = countdownBox_.United(Rect{x, y, x + picture.width, y + picture.height});
  }
  countdownBox_ = countdownBox_.Intersected(WholeFrame());
  countdownDays_ = days;
}

}  // namespace gd
