# Draws the scene pictures again with artgen and checks that every pixel
# matches the committed pictures and review sheets.
stage_art() {
  # Needs nothing: the script builds artgen in build-artgen/ itself.
  bash "$root/tools/artgen/check-reproducible.sh"
}
