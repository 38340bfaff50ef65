# Virtual optical drives for the Wine test environment (sourced by with-test-env.sh).
#
# drives_setup builds real ISO 9660 images with xorriso and makes each of them a
# CD-ROM drive of the private Wine prefix: the drive's volume ("\\.\X:") is a
# read-only loop device over the image, and its root directory is a tmpfs whose
# size is the size the drive reports (GetDiskFreeSpaceExW). drives_teardown
# removes every loop device, mount and FUSE process that drives_setup made, and
# nothing else. All state lives under $ORVANE_TEST_WORK/drives.
#
# Every disc's size is a multiple of 4 KiB: the size a drive reports is its
# root tmpfs's, which Wine rounds up to 4 KiB, and a disc that yields less than
# its reported size is a truncated one.
#
# Drives (letter: what it is):
#   D: labelled disc "ORVANE_DISC", 5 MiB and a bit (size a multiple of 4 KiB, not of 1 MiB)
#   E: disc without a label (about 2 MiB)
#   F: disc whose size is an exact multiple of 1 MiB (4 MiB), and past it two
#      unreadable sectors (EIO, FUSE below the loop device): the run-out blocks
#      that track-at-once recording leaves at the end of a CD-R
#   G: disc over 4 GiB (sparse image: 4 GiB + 1 MiB + 12 KiB)
#   H: truncated volume: reports 2 MiB + 12 KiB more than the disc yields
#   I: read error just before the end: the volume fails with EIO from 12 KiB
#      before its end on (FUSE below the loop device), in a block whose first
#      part reads well
#   J: size 0: the root is a ramfs, whose total size is 0
#   K: volume that cannot be opened: the size is known, the volume device has no driver
#   L: no disc, as close as Wine allows: the root directory is missing (size query fails)
#   N: UDF disc (mkudffs) whose label holds characters that a file name cannot:
#      $ORVANE_DRIVES_UDF_LABEL (2 MiB)
#   O: not optical: a floppy drive whose volume holds a FAT32 file system, which
#      the system names for the drive; what is written there goes to a tmpfs
#   P: a disc shorter than its file system, whose drive answers the reads of
#      sectors it does not have with "invalid parameter" (EINVAL), as a real
#      drive asked for sectors past its capacity does
#   Q: a file system that ends on a 64 KiB boundary that is not a 1 MiB one,
#      followed by unreadable sectors (track-at-once run-out): the last block
#      straddles the file system's end
#   R: not optical: a floppy drive whose volume holds the smallest FAT16 file
#      system (named "FAT"); what is written there goes to a tmpfs
# With ORVANE_ONE_DISC set to an image file, only one drive is made over it:
# letter ORVANE_ONE_DISC_LETTER (M: unless set), its root a tmpfs of the image's
# size; ORVANE_ONE_DISC_DEVICE then names its loop device. The disc benchmark
# and the run command use it.
#
# For the tests (all exported):
#   ORVANE_DRIVES_EXPECT  directory with one file per readable letter (d.txt ...):
#                         "SIZE CRC32 MD5 SHA1" of the bytes the volume yields (rhash,
#                         upper-case hex), SIZE being the byte count; g.txt is
#                         written in the background a little later (wait for it)
#   ORVANE_DRIVES_ISO     directory with the image files themselves (d.iso ...)
#   ORVANE_DRIVES_SMALL   Unix path of a 2 MiB + 8 KiB tmpfs (a target without room)
#   ORVANE_DRIVES_RO      Unix path of a read-only tmpfs (a target where nothing can be created)
#   ORVANE_DRIVES_FLUSHFAIL Unix path of a writable folder on a file system that fails
#                         every flush to the disk (EIO on fsync)
#   ORVANE_DRIVES_BIN     Unix path of a writable folder, and ORVANE_DRIVES_BIN_RO the same
#                         folder seen through a read-only bind mount (a program kept
#                         in a folder its user may not write to)
#   ORVANE_DRIVES_LETTERS the optical drives' letters, e.g. "DEFGHIJKLNPQ"
#   ORVANE_DRIVES_UDF_LABEL the label of drive N:
# Wine maps / to Z:, so a Unix path /a/b is Z:\a\b for the program.

_drives_dir=
_drives_loops=()     # loop devices made here, detached in reverse order
_drives_mounts=()    # mount points made here, unmounted in reverse order
_drives_fuse_pids=() # FUSE processes started here
_drives_bg_pids=()   # background checksum jobs started here

_drives_log() { echo "drives: $*" >&2; }

# Makes a loop device over FILE (read-only); its path is left in _drives_dev.
# (Not printed: a command substitution would record it in a subshell only.)
_drives_loop() {
  _drives_dev=$(losetup -f --show -r "$1") || return 1
  _drives_loops+=("$_drives_dev")
}

# Mounts a file system of TYPE at DIR with OPTIONS (may be empty).
_drives_mount() {
  local type=$1 dir=$2 opts=$3
  mkdir -p "$dir"
  if [ -n "$opts" ]; then
    mount -t "$type" -o "$opts" "$type" "$dir" || return 1
  else
    mount -t "$type" "$type" "$dir" || return 1
  fi
  _drives_mounts+=("$dir")
}

# Builds an ISO 9660 image OUT from a folder of pseudo-random files.
#   _drives_iso OUT LABEL BYTES...   (LABEL "-" for none; one file per BYTES)
_drives_iso() {
  local out=$1 label=$2
  shift 2
  local src=$out.src i=0
  mkdir -p "$src/data"
  for n in "$@"; do
    head -c "$n" /dev/urandom >"$src/data/file$i.bin"
    i=$((i + 1))
  done
  if [ "$label" = "-" ]; then
    xorriso -as mkisofs -quiet -V "" -o "$out" "$src" 2>/dev/null || return 1
    # xorriso writes a default name when given none: blank the volume identifier
    # (32 bytes at 40 into the primary volume descriptor at 32768).
    printf '%32s' '' | dd of="$out" bs=1 seek=$((32768 + 40)) conv=notrunc status=none
  else
    xorriso -as mkisofs -quiet -V "$label" -o "$out" "$src" 2>/dev/null || return 1
  fi
  rm -rf "$src"
}

# Pads FILE with zeros to SIZE bytes (the loop device then yields them too).
_drives_pad() { truncate -s "$2" "$1"; }

# Rounds up to a multiple of 4096.
_drives_round4k() { echo $(( ($1 + 4095) / 4096 * 4096 )); }

# Records the expected answer of a drive: the byte count and checksums of FILE.
_drives_expect() {
  local letter=$1 file=$2 size sums
  size=$(stat -c %s "$file")
  sums=$(rhash --crc32 --md5 --sha1 --printf '%{crc32} %{md5} %{sha1}' "$file") || return 1
  # Written whole or not at all: a reader may be waiting for it.
  echo "$size ${sums^^}" >"$_drives_dir/expect/$letter.tmp"
  mv "$_drives_dir/expect/$letter.tmp" "$_drives_dir/expect/$letter.txt"
}

# The same in the background. Ending the background job (TERM) ends its rhash too.
_drives_expect_bg() {
  local letter=$1 file=$2
  (
    size=$(stat -c %s "$file")
    rhash --crc32 --md5 --sha1 --printf '%{crc32} %{md5} %{sha1}' "$file" >"$_drives_dir/expect/$letter.sums" &
    child=$!
    trap 'kill "$child" 2>/dev/null; exit 1' TERM
    wait "$child" || exit 1
    sums=$(cat "$_drives_dir/expect/$letter.sums")
    echo "$size ${sums^^}" >"$_drives_dir/expect/$letter.tmp"
    mv "$_drives_dir/expect/$letter.tmp" "$_drives_dir/expect/$letter.txt"
  ) &
  _drives_bg_pids+=("$!")
}

# Makes LETTER a drive of TYPE (cdrom unless given; Wine's types include floppy
# and hd) whose volume is DEVICE (may be a missing path) and whose root is ROOT.
_drives_link() {
  local letter=$1 device=$2 root=$3 type=${4:-cdrom}
  ln -sfn "$root" "$WINEPREFIX/dosdevices/$letter:"
  ln -sfn "$device" "$WINEPREFIX/dosdevices/$letter::"
  printf '"%s:"="%s"\r\n' "$letter" "$type" >>"$_drives_dir/drives.reg"
}

# A readable disc: loop device over ISO, tmpfs root of ROOTSIZE bytes.
_drives_disc() {
  local letter=$1 iso=$2 rootsize=$3
  _drives_loop "$iso" || return 1
  _drives_mount tmpfs "$_drives_dir/root/$letter" "size=$rootsize,mode=0755" || return 1
  _drives_link "$letter" "$_drives_dev" "$_drives_dir/root/$letter"
}

# Starts a FUSE file system in the background: a program of bin/ with its
# arguments, followed by its mount point fuse-NAME, and waits for the mount.
_drives_fuse() {
  local name=$1 prog=$2 dir=$_drives_dir/fuse-$1 t
  shift 2
  mkdir -p "$dir"
  "$_drives_dir/bin/$prog" "$@" "$dir" >"$_drives_dir/$prog-$name.log" 2>&1 &
  _drives_fuse_pids+=("$!")
  for t in $(seq 50); do
    mountpoint -q "$dir" && break
    sleep 0.1
  done
  mountpoint -q "$dir" || { _drives_log "$prog for $name did not start"; return 1; }
  _drives_mounts+=("$dir")
}

# A faultfs mount at fuse-LETTER serving SOURCE with EIO from OFFSET on; the
# drive's volume is a loop device over the file it serves, its root a tmpfs of
# ROOTSIZE bytes. With faultfs flags as a fifth argument (-d, -d -e), the
# volume is the served file itself.
_drives_faultfs() {
  local letter=$1 source=$2 offset=$3 rootsize=$4 flags=${5:-}
  # shellcheck disable=SC2086
  _drives_fuse "$letter" faultfs $flags "$source" "$offset" || return 1
  if [ -z "$flags" ]; then
    _drives_disc "$letter" "$_drives_dir/fuse-$letter/volume" "$rootsize"
  else
    _drives_mount tmpfs "$_drives_dir/root/$letter" "size=$rootsize,mode=0755" || return 1
    _drives_link "$letter" "$_drives_dir/fuse-$letter/volume" "$_drives_dir/root/$letter"
  fi
}

# Rounds up to a multiple of 64 KiB that is not one of 1 MiB.
_drives_round64k_not_1m() {
  local n=$(( ($1 + 65535) / 65536 * 65536 ))
  (( n % 1048576 )) || n=$((n + 65536))
  echo "$n"
}

# Writes the drive types to the registry; the mount manager reads drives when
# the wineserver starts, so the caller restarts it after this.
_drives_register() {
  wine regedit /S "$(winepath -w "$_drives_dir/drives.reg" 2>/dev/null)" >/dev/null 2>&1
}

drives_setup() {
  _drives_dir=$ORVANE_TEST_WORK/drives
  local iso=$_drives_dir/iso tools
  tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  mkdir -p "$iso" "$_drives_dir/expect" "$_drives_dir/root" "$_drives_dir/bin"
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n' \
    >"$_drives_dir/drives.reg"

  # One drive over the given image, nothing else.
  if [ -n "${ORVANE_ONE_DISC:-}" ]; then
    local letter=${ORVANE_ONE_DISC_LETTER:-m}
    _drives_disc "$letter" "$ORVANE_ONE_DISC" "$(stat -c %s "$ORVANE_ONE_DISC")" || return 1
    _drives_register || return 1
    _drives_ready_letter=$letter
    _drives_ready_image=$ORVANE_ONE_DISC
    export ORVANE_ONE_DISC_DEVICE=$_drives_dev
    export ORVANE_DRIVES_LETTERS=${letter^^}
    return 0
  fi

  # D: labelled, 5 MiB and a bit, padded to a multiple of 4 KiB.
  _drives_iso "$iso/d.iso" ORVANE_DISC 3000000 2300000 || return 1
  _drives_pad "$iso/d.iso" "$(_drives_round4k $(( $(stat -c %s "$iso/d.iso") + 1 )))"
  _drives_disc d "$iso/d.iso" "$(stat -c %s "$iso/d.iso")" || return 1
  _drives_ready_image=$iso/d.iso

  # E: no label.
  _drives_iso "$iso/e.iso" - 1500000 || return 1
  _drives_pad "$iso/e.iso" "$(_drives_round4k "$(stat -c %s "$iso/e.iso")")"
  _drives_disc e "$iso/e.iso" "$(stat -c %s "$iso/e.iso")" || return 1

  local fs
  for fs in faultfs flushfailfs; do
    gcc -O2 -o "$_drives_dir/bin/$fs" "$tools/$fs.c" $(pkg-config --cflags --libs fuse3) || return 1
  done

  # F: exactly 4 MiB of file system, then two unreadable sectors.
  _drives_iso "$iso/f.iso" EXACT_4MIB 3000000 || return 1
  _drives_pad "$iso/f.iso" $((4 * 1048576))
  cp "$iso/f.iso" "$_drives_dir/f-runout.img"
  _drives_pad "$_drives_dir/f-runout.img" $((4 * 1048576 + 4096))
  _drives_faultfs f "$_drives_dir/f-runout.img" $((4 * 1048576)) $((4 * 1048576)) || return 1

  # G: over 4 GiB, sparse: a small disc followed by zeros.
  _drives_iso "$iso/g.iso" BIG_DISC 1000000 || return 1
  _drives_pad "$iso/g.iso" $((4 * 1073741824 + 1048576 + 12288))
  _drives_disc g "$iso/g.iso" "$(stat -c %s "$iso/g.iso")" || return 1

  # H: the drive reports more than the volume yields.
  _drives_iso "$iso/h.iso" SHORT_DISC 2500000 || return 1
  _drives_pad "$iso/h.iso" "$(_drives_round4k "$(stat -c %s "$iso/h.iso")")"
  _drives_disc h "$iso/h.iso" $(( $(stat -c %s "$iso/h.iso") + 2 * 1048576 + 12288 )) || return 1

  # I: unreadable from 12 KiB before the end on (about 4.8 MiB: the last block
  # reads well up to there).
  _drives_iso "$iso/i.iso" BAD_SECTORS 2000000 3000000 || return 1
  _drives_pad "$iso/i.iso" "$(_drives_round4k "$(stat -c %s "$iso/i.iso")")"
  local isize
  isize=$(stat -c %s "$iso/i.iso")
  _drives_faultfs i "$iso/i.iso" $((isize - 12288)) "$isize" || return 1

  # J: total size 0 (ramfs reports no blocks); a real disc behind it all the same.
  _drives_loop "$iso/e.iso" || return 1
  _drives_mount ramfs "$_drives_dir/root/j" "mode=0755" || return 1
  _drives_link j "$_drives_dev" "$_drives_dir/root/j"

  # K: a root with a size, but a volume device without a driver behind it: a
  # block device node of an unassigned major number, which no one can open.
  # (A missing device would not do: Wine then opens the drive's root folder.)
  _drives_mount tmpfs "$_drives_dir/root/k" "size=1048576,mode=0755" || return 1
  mknod "$_drives_dir/dead-device" b 240 0 || return 1
  _drives_link k "$_drives_dir/dead-device" "$_drives_dir/root/k"

  # L: nothing behind the drive at all.
  _drives_link l "$_drives_dir/no-such-device" "$_drives_dir/no-such-root"

  # N: a UDF disc, its label full of characters that a file name cannot hold
  # (a colon, slashes, quotes, angle brackets, a bar, wildcards, a tab) and
  # ending in dots and blanks.
  export ORVANE_DRIVES_UDF_LABEL=$'Vol: 1/2 <"A|B">?*\t\\. .'
  truncate -s $((2 * 1048576)) "$iso/n.iso" || return 1
  mkudffs --utf8 --media-type=dvd --label="$ORVANE_DRIVES_UDF_LABEL" "$iso/n.iso" >/dev/null || return 1
  _drives_disc n "$iso/n.iso" "$(stat -c %s "$iso/n.iso")" || return 1

  # O: a floppy drive with a FAT32 volume; images written to O:\ land on a tmpfs.
  truncate -s 40M "$_drives_dir/o-fat32.img" && mkfs.vfat -F 32 -n STICK "$_drives_dir/o-fat32.img" >/dev/null ||
    return 1
  _drives_loop "$_drives_dir/o-fat32.img" || return 1
  _drives_mount tmpfs "$_drives_dir/root/o" "size=16M,mode=0777" || return 1
  _drives_link o "$_drives_dev" "$_drives_dir/root/o" floppy

  # R: the same with FAT16, at its least size: 4085 clusters of one sector.
  truncate -s 2080K "$_drives_dir/r-fat16.img" &&
    mkfs.vfat -F 16 -s 1 -n STICK16 "$_drives_dir/r-fat16.img" >/dev/null || return 1
  _drives_loop "$_drives_dir/r-fat16.img" || return 1
  _drives_mount tmpfs "$_drives_dir/root/r" "size=16M,mode=0777" || return 1
  _drives_link r "$_drives_dev" "$_drives_dir/root/r" floppy

  # P: 1 MiB and a bit of a disc; the drive reports 1 MiB more and answers
  # every read past the disc with "invalid parameter".
  _drives_iso "$iso/p.iso" SHORT_EINVAL 1100000 || return 1
  local pdata
  pdata=$(_drives_round64k_not_1m "$(stat -c %s "$iso/p.iso")")
  _drives_pad "$iso/p.iso" "$((pdata + 1048576))"
  _drives_faultfs p "$iso/p.iso" "$pdata" "$((pdata + 1048576))" "-d -e" || return 1

  # Q: the file system ends on a 64 KiB boundary inside its last mebibyte; two
  # unreadable mebibytes follow it. The volume is read as a drive reads: the
  # last block's read fails, and the sectors before the end read well.
  _drives_iso "$iso/q.iso" STRADDLE 1200000 || return 1
  local qsize
  qsize=$(_drives_round64k_not_1m "$(stat -c %s "$iso/q.iso")")
  _drives_pad "$iso/q.iso" "$qsize"
  cp "$iso/q.iso" "$_drives_dir/q-runout.img"
  _drives_pad "$_drives_dir/q-runout.img" $((qsize + 2 * 1048576))
  _drives_faultfs q "$_drives_dir/q-runout.img" "$qsize" "$qsize" -d || return 1

  # A target whose flushes fail.
  mkdir -p "$_drives_dir/flushfail-backing"
  chmod 0777 "$_drives_dir/flushfail-backing"
  _drives_fuse flushfail flushfailfs "$_drives_dir/flushfail-backing" || return 1

  # Targets for images: one without room, one where nothing can be created.
  _drives_mount tmpfs "$_drives_dir/small" "size=$((2 * 1048576 + 8192)),mode=0777" || return 1
  _drives_mount tmpfs "$_drives_dir/ro" "size=1048576,mode=0755,ro" || return 1
  # A folder for a program, and the same folder read-only (bind mount).
  mkdir -p "$_drives_dir/bin-rw" "$_drives_dir/bin-ro"
  chmod 0777 "$_drives_dir/bin-rw"
  mount --bind "$_drives_dir/bin-rw" "$_drives_dir/bin-ro" || return 1
  _drives_mounts+=("$_drives_dir/bin-ro")
  mount -o remount,bind,ro "$_drives_dir/bin-ro" || return 1

  local l
  for l in d e f h i n q; do
    _drives_expect "$l" "$iso/$l.iso" || return 1
  done
  # G's 4 GiB take rhash a while: its expectation is computed in the background,
  # and a test waits for g.txt to appear.
  _drives_expect_bg g "$iso/g.iso"
  # F yields its image and then fails, H yields only its image, I nothing past
  # its bad region: their expectations are of the image (H's and I's runs fail).

  _drives_register || return 1

  export ORVANE_DRIVES_EXPECT=$_drives_dir/expect
  export ORVANE_DRIVES_ISO=$iso
  export ORVANE_DRIVES_SMALL=$_drives_dir/small
  export ORVANE_DRIVES_RO=$_drives_dir/ro
  export ORVANE_DRIVES_BIN=$_drives_dir/bin-rw
  export ORVANE_DRIVES_BIN_RO=$_drives_dir/bin-ro
  export ORVANE_DRIVES_FLUSHFAIL=$_drives_dir/fuse-flushfail
  export ORVANE_DRIVES_LETTERS=DEFGHIJKLNPQ
}

# Waits until the mount manager of the (restarted) wineserver knows the drives:
# the first label read can come back empty while it is starting. The check
# looks for the disc's own label in what "vol" prints, whatever the language of
# the rest (cmd.exe speaks the locale's); for a disc without a label it takes
# a "vol" that succeeds.
_drives_ready_letter=d
_drives_ready_image=
drives_ready() {
  local t label=
  [ -n "$_drives_ready_image" ] && label=$(blkid -o value -s LABEL "$_drives_ready_image" 2>/dev/null)
  for t in $(seq 40); do
    if [ -n "$label" ]; then
      wine cmd.exe /c vol "$_drives_ready_letter:" 2>/dev/null | grep -qF -- "$label" && return 0
    else
      wine cmd.exe /c vol "$_drives_ready_letter:" >/dev/null 2>&1 && return 0
    fi
    sleep 0.25
  done
  _drives_log "drive $_drives_ready_letter: shows no label${label:+ (expected $label)}"
  return 1
}

drives_teardown() {
  local i dir dev pid t
  # Loop devices first: the one over the FUSE file keeps that mount busy.
  for ((i = ${#_drives_loops[@]} - 1; i >= 0; i--)); do
    dev=${_drives_loops[i]}
    losetup -d "$dev" 2>/dev/null || _drives_log "could not detach $dev"
  done
  _drives_loops=()
  for ((i = ${#_drives_mounts[@]} - 1; i >= 0; i--)); do
    dir=${_drives_mounts[i]}
    for t in 1 2 3 4 5 6 7 8 9 10; do
      mountpoint -q "$dir" || break
      if [[ "$dir" == "$_drives_dir"/fuse-* ]]; then
        fusermount3 -u "$dir" 2>/dev/null && break
      else
        umount "$dir" 2>/dev/null && break
      fi
      sleep 0.3
    done
    mountpoint -q "$dir" && _drives_log "could not unmount $dir"
  done
  _drives_mounts=()
  for pid in "${_drives_bg_pids[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  _drives_bg_pids=()
  for pid in "${_drives_fuse_pids[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  _drives_fuse_pids=()
  return 0
}
