#!/usr/bin/env bash
# A zoom video split into parts of frames, drawn by GNU parallel as the README
# shows (--sshlogin, here the local machine) and by the Slurm job array's
# script (its tasks run here one by one), then encoded with --from-frames:
# the same file as the video made by one process, exact frames and
# keyframes alike.
#   video_split.sh GALLERI_RENDER SBATCH_SCRIPT
# Exit 77 (skipped) without GNU parallel.
set -euo pipefail
render=${1:?usage: video_split.sh GALLERI_RENDER SBATCH_SCRIPT}
sbatch_script=$(realpath "${2:?}")
command -v parallel >/dev/null 2>&1 || { echo "SKIP: GNU parallel is not installed (scripts/setup installs it)"; exit 77; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/bin"
ln -s "$(realpath "$render")" "$dir/bin/galleri-render"
export PATH="$dir/bin:$PATH"
cd "$dir"

fail() {
  echo "FAIL: $*"
  exit 1
}

for mode in exact keyframes; do
  # 23 frames, some 3 a doubling of the zoom, in parts of 5.
  video=(--video "$mode.mp4" --to=-0.7454,-0.7446,0.1126,0.1132 --seconds 2.3 --fps 10
    --size 64x48 m11)
  [ "$mode" = keyframes ] && video+=(--keyframes)
  galleri-render "${video[@]}" || fail "one process ($mode)"
  mv "$mode.mp4" "$mode-one.mp4"

  seq 0 5 22 | parallel --sshlogin 1/: --workdir "$dir" \
    galleri-render "${video[@]}" --frames '{}-$(( {} + 4 < 22 ? {} + 4 : 22 ))' \
    --output "$mode-parallel" || fail "GNU parallel ($mode)"
  galleri-render "${video[@]}" --from-frames "$mode-parallel" || fail "--from-frames ($mode)"
  cmp "$mode-one.mp4" "$mode.mp4" || fail "parts drawn by GNU parallel make another video ($mode)"
  rm "$mode.mp4"

  for task in 0 1 2 3 4 5; do
    SLURM_ARRAY_TASK_ID=$task SLURM_CPUS_PER_TASK=1 bash "$sbatch_script" "$mode-slurm" 23 5 \
      "${video[@]}" || fail "Slurm task $task ($mode)"
  done
  galleri-render "${video[@]}" --from-frames "$mode-slurm" || fail "--from-frames after Slurm ($mode)"
  cmp "$mode-one.mp4" "$mode.mp4" || fail "parts drawn by the Slurm tasks make another video ($mode)"
  echo "$mode: the parts make the video of one process"
done
