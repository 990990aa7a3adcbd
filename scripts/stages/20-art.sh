# Draws the scene pictures again with artgen and checks that every pixel
# matches the committed pictures and review sheets.
stage_art() {
  bash "$root/tools/artgen/check-reproducible.sh"
}
