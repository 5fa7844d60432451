#!/usr/bin/env python3
# Stages "cmake --install" of a build tree into a temporary DESTDIR and checks the tree as
# a desktop would see it: the validators accept the menu entry and the metadata, every
# icon size is there at its size, the manual page lists the options --help prints, and
# the help pages lie where the installed program looks for them. Then the uninstall step
# must take every installed file away again.
#   install_test.py BUILD_DIR SOURCE_DIR
import gzip, os, shutil, subprocess, sys, tempfile

import layout

build, source = sys.argv[1], sys.argv[2]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run(*args, env=None):
    result = subprocess.run(args, capture_output=True, text=True, env=env)
    check(result.returncode == 0, "%s failed:\n%s%s" % (" ".join(args), result.stdout, result.stderr))
    return result.stdout


with tempfile.TemporaryDirectory(prefix="kelpo-install-") as stage:
    env = dict(os.environ, DESTDIR=stage)
    run("cmake", "--install", build, "--prefix", "/usr", env=env)
    root = stage + "/usr"
    manifest = os.path.join(stage, "install_manifest.txt")
    shutil.copy(os.path.join(build, "install_manifest.txt"), manifest)

    installed = {os.path.relpath(os.path.join(d, f), root)
                 for d, _, files in os.walk(root) for f in files}
    missing = layout.expected_files(source) - installed
    check(not missing, "not installed: %s" % sorted(missing))
    if missing:
        sys.exit("FAIL\n" + "\n".join(failures))

    desktop = root + "/share/applications/%s.desktop" % layout.APP_ID
    metainfo = root + "/share/metainfo/%s.metainfo.xml" % layout.APP_ID
    run("desktop-file-validate", desktop)
    run("appstreamcli", "validate", "--no-net", metainfo)
    with open(desktop, encoding="utf-8") as f:
        entry = dict(l.strip().split("=", 1) for l in f if "=" in l)
    check(os.access(root + "/bin/" + entry["Exec"].split()[0], os.X_OK),
          "the menu entry starts %s, which is not in bin" % entry["Exec"])
    check(entry["Icon"] == "kelpo", "the menu entry shows icon %s" % entry["Icon"])

    for size in layout.ICON_SIZES:
        path = root + "/share/icons/hicolor/%dx%d/apps/kelpo.png" % (size, size)
        check(layout.png_size(path) == (size, size),
              "the %d-pixel icon is %s" % (size, layout.png_size(path)))

    # The metadata's pictures are the ones make screenshots made, which the help pages show.
    with open(metainfo, encoding="utf-8") as f:
        shots = layout.metainfo_screenshots(f.read())
    check(shots, "the metadata shows no screenshots")
    for shot in shots:
        check(os.path.isfile(root + "/share/kelpo/tutorial/screenshots/" + shot),
              "the metadata's screenshot %s is not among the installed pictures" % shot)

    # The installed program prints the options the manual page describes.
    usage = run(root + "/bin/kelpo", "--help")
    with gzip.open(root + "/share/man/man1/kelpo.1.gz", "rt", encoding="utf-8") as f:
        roff = f.read()
    check(layout.help_options(usage) == layout.manpage_options(roff),
          "--help and the manual page differ:\n  %s\n  %s"
          % (layout.help_options(usage), layout.manpage_options(roff)))
    check(layout.help_usage(usage) == layout.manpage_synopsis(roff),
          "usage %r, synopsis %r" % (layout.help_usage(usage), layout.manpage_synopsis(roff)))

    # The help key finds the pages from the program's own folder, in ../share/kelpo.
    check(os.path.isfile(root + "/bin/../share/kelpo/tutorial/1.htm"),
          "no help pages in ../share/kelpo/tutorial beside bin")

    run("cmake", "-DMANIFEST=" + manifest, "-P", source + "/cmake/Uninstall.cmake", env=env)
    left = [os.path.join(d, f) for d, _, files in os.walk(root) for f in files]
    check(not left, "left after uninstalling: %s" % left)
    for own in ("share/kelpo", "share/doc/kelpo"):
        check(not os.path.exists(root + "/" + own), own + " is left after uninstalling")

if failures:
    print("FAIL\n" + "\n\n".join(failures))
    sys.exit(1)
print("PASS")
