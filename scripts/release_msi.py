"""Writes the installer, DIST/Orvalis-NAME-win32.msi (Orvalis.exe, README.txt,
LICENSE.txt, from resources/Orvalis.wxs), and its .sha256 beside it.

    release_msi.py NAME VERSION DIST EXE README.md LICENSE

NAME is the version as Windows shows it (1.01), VERSION the numeric one
(1.1.0.0), of which Windows Installer compares the first three numbers.

wixl alone makes different bytes every time: it stamps the package with the
clock and gives it a random package code. Here it runs with the clock stopped
at SOURCE_DATE_EPOCH (faketime), the files it packs carry that date too, and
the codes come from what they identify: the product code from the version,
the package code from the package's own bytes. The same inputs give the same
bytes."""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import uuid

from release_zip import release_epoch, release_files, write_checksum

RESOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
# Never to change: the product codes of released versions are made from it.
CODES = uuid.UUID("74DBD11D-0CA2-465D-A9AC-AC27E3DB4C54")


def code(name):
    return "{%s}" % str(uuid.uuid5(CODES, name)).upper()


def file_version(exe_bytes):
    """The numbers of the exe's version resource, which Windows Installer
    compares before it replaces an installed Orvalis.exe."""
    resource = exe_bytes.index("VS_VERSION_INFO".encode("utf-16-le"))
    at = exe_bytes.index((0xFEEF04BD).to_bytes(4, "little"), resource)
    ms, ls = (int.from_bytes(exe_bytes[i:i + 4], "little") for i in (at + 8, at + 12))
    return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def main(name, version, dist, exe, readme, licence):
    epoch = release_epoch()
    product_version = ".".join(version.split(".")[:3])
    files = release_files(name, exe, readme, licence)
    exe_bytes = files[0][1]
    os.makedirs(dist, exist_ok=True)
    msi = os.path.abspath(os.path.join(dist, "Orvalis-%s-win32.msi" % name))
    with tempfile.TemporaryDirectory() as stage:
        for file_name, data in files:
            with open(os.path.join(stage, file_name), "wb") as f:
                f.write(data)
            os.utime(os.path.join(stage, file_name), (epoch, epoch))  # the cabinet's dates
        shutil.copy(os.path.join(RESOURCES, "Orvalis.ico"), stage)
        part = os.path.join(stage, "Orvalis.msi")
        # The cabinet's dates are local times: UTC, wherever it is built.
        # NO_FAKE_STAT leaves the files' own dates as they are.
        env = dict(os.environ, TZ="UTC", NO_FAKE_STAT="1")
        clock = time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(epoch))
        subprocess.run(["faketime", clock, "wixl", "-a", "x86", "-o", part,
                        "-D", "ProductCode=" + code("ProductCode " + product_version),
                        "-D", "Version=" + product_version, "-D", "DisplayVersion=" + name,
                        os.path.join(RESOURCES, "Orvalis.wxs")], cwd=stage, env=env, check=True)
        subprocess.run(["msibuild", part, "-q",
                        "UPDATE `Component` SET `Condition` = 'STARTATLOGON=\"1\"' "
                        "WHERE `Component` = 'StartupShortcut'", "-q",
                        "UPDATE `File` SET `Version` = '%s' WHERE `File` = 'OrvalisExe'"
                        % file_version(exe_bytes)], check=True)
        # The package code last, from the bytes without wixl's random one.
        summary = ["msibuild", part, "-s", "Orvalis " + name, "The Orvalis team", "Intel;1033"]
        subprocess.run(summary + ["{%s}" % uuid.UUID(int=0)], check=True)
        with open(part, "rb") as f:
            package_code = code("PackageCode " + hashlib.sha256(f.read()).hexdigest())
        subprocess.run(summary + [package_code], check=True)
        shutil.move(part, msi)
    write_checksum(msi)


if __name__ == "__main__":
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    main(*sys.argv[1:])
