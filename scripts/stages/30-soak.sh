# A million frames at "Quickly" with snow on and the drift running, every
# counter checked after every timer event and memory checked at the end.
# Uses the Release build of the unit stage.
stage_soak() {
  need_build glimmer_soak && "$root/build/glimmer_soak" 1000000
}
