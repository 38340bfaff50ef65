#!/usr/bin/env python3
"""Makes the users' package: a ZIP of orvane.exe and its readme, and the ZIP's
SHA-256 in a file beside it (ZIP.sha256, as sha256sum writes it).

In the readme, @EXE_SHA256@ becomes the SHA-256 of the executable. The ZIP
holds the same bytes for the same inputs on any machine: its entries come in
the order of their names, all with the time EPOCH (seconds since 1970, UTC),
as MS-DOS entries with the archive attribute alone, so without the build
machine's owners, permissions or file times.

usage: make-package.py EXE README EPOCH ZIP
"""
import datetime
import hashlib
import os
import sys
import zipfile


def zip_date_time(epoch):
    """The date and time of a ZIP entry (UTC): from 1980 to 2107 at most."""
    utc = datetime.timezone.utc
    when = datetime.datetime.fromtimestamp(epoch, utc)
    first = datetime.datetime(1980, 1, 1, tzinfo=utc)
    last = datetime.datetime(2107, 12, 31, 23, 59, 58, tzinfo=utc)
    return min(max(when, first), last).timetuple()[:6]


def fill_readme(path, exe_sha256):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    if "@EXE_SHA256@" not in text:
        sys.exit(f"make-package: {path} has no place for the SHA-256 (@EXE_SHA256@)")
    return text.replace("@EXE_SHA256@", exe_sha256).encode("utf-8")


def write_zip(path, entries, date_time):
    partial = path + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name in sorted(entries):
            info = zipfile.ZipInfo(name, date_time)
            # An MS-DOS entry: attributes only, no owner or permissions. The
            # archive attribute, as Windows gives a new file (zipfile would
            # otherwise put Unix permissions in place of none).
            info.create_system = 0
            info.external_attr = 0x20
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, entries[name], compresslevel=9)
    os.replace(partial, path)


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__.strip().splitlines()[-1])
    exe_path, readme_path, epoch, zip_path = sys.argv[1:]
    with open(exe_path, "rb") as f:
        exe = f.read()
    readme = fill_readme(readme_path, hashlib.sha256(exe).hexdigest())
    write_zip(zip_path, {"orvane.exe": exe, "readme.txt": readme}, zip_date_time(int(epoch)))
    with open(zip_path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(zip_path + ".sha256", "w", encoding="utf-8", newline="\n") as f:
        f.write(f"{digest}  {os.path.basename(zip_path)}\n")


if __name__ == "__main__":
    main()
