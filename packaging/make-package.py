#!/usr/bin/env python3
"""Makes the users' package: a ZIP of orvane.exe and its readme, and the ZIP's
SHA-256 in a file beside it (ZIP.sha256, as sha256sum writes it).

In the readme, @VERSION@ becomes the program's version and @EXE_SHA256@ the
SHA-256 of the executable; a rule of "=" or "-" under a line takes that line's
length. The readme is written for Notepad on every Windows the program runs on:
CRLF line ends, and UTF-8 with a byte order mark, without which Notepad before
Windows 10 reads the Cyrillic text as the ANSI code page.

The ZIP holds the same bytes for the same inputs on any machine: its entries
come in the order of their names, all with the time EPOCH (seconds since 1970,
UTC), as MS-DOS entries with the archive attribute alone, so without the build
machine's owners, permissions or file times. The entries are stored, not
compressed: deflate's bytes depend on the zlib that Python links (zlib-ng, for
one, gives others), and stored ones on nothing but the files.

usage: make-package.py EXE README VERSION EPOCH ZIP
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


def fit_rules(lines):
    """A line of "=" or "-" alone under a text line gets that line's length."""
    for i in range(1, len(lines)):
        rule, title = lines[i], lines[i - 1]
        if rule and title.strip() and len(set(rule)) == 1 and rule[0] in "=-":
            lines[i] = rule[0] * len(title)
    return lines


def fill_readme(path, version, exe_sha256):
    with open(path, encoding="utf-8-sig") as f:
        text = f.read()
    for place in ("@VERSION@", "@EXE_SHA256@"):
        if place not in text:
            sys.exit(f"make-package: {path} has no place for {place}")
    text = text.replace("@VERSION@", version).replace("@EXE_SHA256@", exe_sha256)
    lines = fit_rules(text.replace("\r\n", "\n").split("\n"))
    return "\r\n".join(lines).encode("utf-8-sig")


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
            info.compress_type = zipfile.ZIP_STORED
            archive.writestr(info, entries[name])
    os.replace(partial, path)


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__.strip().splitlines()[-1])
    exe_path, readme_path, version, epoch, zip_path = sys.argv[1:]
    with open(exe_path, "rb") as f:
        exe = f.read()
    readme = fill_readme(readme_path, version, hashlib.sha256(exe).hexdigest())
    write_zip(zip_path, {"orvane.exe": exe, "readme.txt": readme}, zip_date_time(int(epoch)))
    with open(zip_path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(zip_path + ".sha256", "w", encoding="utf-8", newline="\n") as f:
        f.write(f"{digest}  {os.path.basename(zip_path)}\n")


if __name__ == "__main__":
    main()
