"""Writes the release, DIST/Orvalis-VERSION-win32.zip (Orvalis.exe,
README.txt, LICENSE.txt), and its .sha256 beside it, in the form that
`sha256sum -c` reads.

    release_zip.py VERSION DIST EXE README.md LICENSE

The zip is the same bytes for the same inputs: fixed order, every date the
commit's (SOURCE_DATE_EPOCH), no owner or permission bits. README.txt is the
user part of README.md, cut by its headings so that it cannot drift."""
import hashlib
import os
import re
import sys
import time
import zipfile

# Sections for those who build Orvalis, not for those who install it.
DEVELOPER_SECTIONS = ("On a fresh Debian machine", "Measured", "For developers")


def user_readme(markdown, version):
    sections = re.split(r"(?m)^(?=## )", markdown)
    heading = lambda s: s.splitlines()[0][3:].strip() if s.startswith("## ") else None
    missing = set(DEVELOPER_SECTIONS) - {heading(s) for s in sections}
    if missing:
        # A renamed section would otherwise slip into README.txt unnoticed.
        sys.exit("README.md has no section %s; update %s" % (sorted(missing), __file__))
    kept = "".join(s for s in sections if heading(s) not in DEVELOPER_SECTIONS)
    # It is read in Notepad: Markdown's backticks are only noise there, and
    # Notepad before Windows 10 takes UTF-8 without a byte order mark for ANSI.
    # README.md can only say <version>; this copy knows which one it is.
    text = kept.replace("`", "").replace("<version>", version).rstrip("\n") + "\n"
    return "\ufeff" + text


def windows_text(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def release_epoch():
    """The date of every file in the release: the commit's."""
    if "SOURCE_DATE_EPOCH" not in os.environ:
        sys.exit("SOURCE_DATE_EPOCH is not set: make the release with scripts/package.sh")
    return max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800)  # zip and cabinet dates: 1980 on


def release_files(version, exe, readme, licence):
    """The release's files, by their names in it, with their bytes."""
    with open(exe, "rb") as f:
        exe_bytes = f.read()
    with open(readme, encoding="utf-8") as f:
        readme_bytes = windows_text(user_readme(f.read(), version))
    with open(licence, encoding="utf-8") as f:
        licence_bytes = windows_text(f.read())
    return (("Orvalis.exe", exe_bytes), ("README.txt", readme_bytes),
            ("LICENSE.txt", licence_bytes))


def main(version, dist, exe, readme, licence):
    date_time = time.gmtime(release_epoch())[:6]
    files = release_files(version, exe, readme, licence)
    os.makedirs(dist, exist_ok=True)
    zip_path = os.path.join(dist, "Orvalis-%s-win32.zip" % version)
    with zipfile.ZipFile(zip_path + ".part", "w") as z:
        for name, data in files:
            info = zipfile.ZipInfo(name, date_time)
            # An ordinary file as Windows' own zip folders record it, whatever
            # system and umask made the zip.
            info.create_system = 0
            info.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data, compresslevel=9)
    os.replace(zip_path + ".part", zip_path)
    write_checksum(zip_path)


def write_checksum(path):
    """path.sha256 in the form that sha256sum -c reads; prints path."""
    with open(path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(path + ".sha256", "w", newline="\n") as f:
        f.write("%s  %s\n" % (digest, os.path.basename(path)))
    print(path)


if __name__ == "__main__":
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    main(*sys.argv[1:])
