#!/usr/bin/env python3
# What an installation of Kelpo holds, checked two ways from one build tree:
#   install_test.py install BUILD_DIR SOURCE_DIR
#     stages "cmake --install" into a temporary DESTDIR and checks the tree as a desktop
#     would see it: the validators accept the menu entry and the metadata, every icon size
#     is there at its size, the manual page lists the options --help prints, the help pages
#     lie where the installed program looks for them; then the uninstall step must take
#     every installed file away again.
#   install_test.py package BUILD_DIR SOURCE_DIR
#     builds the Debian package (the program as built, no second compile) and checks its
#     files, owner, modes and metadata with dpkg-deb.
import glob, gzip, os, re, shutil, struct, subprocess, sys, tempfile

mode, build, source = sys.argv[1:4]
APP_ID = "app.kelpo.Kelpo"
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run(*args, env=None):
    result = subprocess.run(args, capture_output=True, text=True, env=env)
    if result.returncode != 0:
        sys.exit("FAIL: %s:\n%s%s" % (" ".join(args), result.stdout, result.stderr))
    return result.stdout


# The files every installation holds, relative to its prefix: the program, the menu entry,
# the icons, the metadata, the manual page and the help pages (in ../share/kelpo of the
# program's folder, where the help key finds them) with every picture they show.
def expected_files():
    files = {"bin/kelpo", "share/applications/%s.desktop" % APP_ID,
             "share/metainfo/%s.metainfo.xml" % APP_ID, "share/man/man1/kelpo.1.gz",
             "share/icons/hicolor/scalable/apps/kelpo.svg", "share/doc/kelpo/changelog.gz"}
    files |= {"share/icons/hicolor/%dx%d/apps/kelpo.png" % (s, s) for s in ICON_SIZES}
    tutorial = os.path.join(source, "tutorial")
    for page in os.listdir(tutorial):
        files.add("share/kelpo/tutorial/" + page)
        if page.endswith(".htm"):
            with open(os.path.join(tutorial, page), encoding="utf-8") as f:
                for image in re.findall(r'<img[^>]*\bsrc="([^"]+)"', f.read()):
                    files.add(os.path.normpath("share/kelpo/tutorial/" + image))
    return files


def plain_roff(line):
    return re.sub(r"\\f[BIRP]", "", line).replace("\\-", "-")


# The option lines of --help, [(spelling, description)], against the manual page's OPTIONS
# section, where each ".TP" is followed by the spelling line and the description; and the
# usage line against the SYNOPSIS.
def compare_help_and_manual(usage, roff):
    options = [tuple(re.split(r"\s{2,}", line.strip(), maxsplit=1))
               for line in usage.splitlines() if re.match(r"\s+-", line)]
    section = re.search(r"^\.SH OPTIONS\n(.*?)^\.(?:PP|SH)", roff, re.M | re.S)
    check(section, "the manual page has no OPTIONS section")
    documented = [(plain_roff(lines[0]), " ".join(plain_roff(l) for l in lines[1:]))
                  for item in (section.group(1) if section else "").split(".TP\n")[1:]
                  for lines in [item.strip().split("\n")]]
    check(options == documented, "--help and the manual page differ:\n  %s\n  %s"
          % (options, documented))
    section = re.search(r"^\.SH SYNOPSIS\n(.*?)^\.SH", roff, re.M | re.S)
    synopsis = " ".join(plain_roff(re.sub(r"^\.B ", "", l))
                        for l in (section.group(1) if section else "").strip().split("\n"))
    check(usage.splitlines()[0].removeprefix("Usage: ") == synopsis,
          "usage %r, synopsis %r" % (usage.splitlines()[0], synopsis))


def installed_tree(stage):
    env = dict(os.environ, DESTDIR=stage)
    run("cmake", "--install", build, "--prefix", "/usr", env=env)
    root = stage + "/usr"
    manifest = os.path.join(stage, "install_manifest.txt")
    shutil.copy(os.path.join(build, "install_manifest.txt"), manifest)
    installed = {os.path.relpath(os.path.join(d, f), root)
                 for d, _, files in os.walk(root) for f in files}
    missing = expected_files() - installed
    if missing:
        sys.exit("FAIL: not installed: %s" % sorted(missing))

    desktop = root + "/share/applications/%s.desktop" % APP_ID
    metainfo = root + "/share/metainfo/%s.metainfo.xml" % APP_ID
    run("desktop-file-validate", desktop)
    run("appstreamcli", "validate", "--no-net", metainfo)
    with open(desktop, encoding="utf-8") as f:
        entry = dict(l.strip().split("=", 1) for l in f if "=" in l)
    check(os.access(root + "/bin/" + entry["Exec"].split()[0], os.X_OK),
          "the menu entry starts %s, which is not in bin" % entry["Exec"])
    check(entry["Icon"] == "kelpo", "the menu entry shows icon %s" % entry["Icon"])
    for size in ICON_SIZES:
        with open(root + "/share/icons/hicolor/%dx%d/apps/kelpo.png" % (size, size), "rb") as f:
            head = f.read(24)
        check(head.startswith(b"\x89PNG") and struct.unpack(">II", head[16:24]) == (size, size),
              "the %d-pixel icon is no PNG of that size" % size)
    # The metadata's pictures are the ones make screenshots made, which the help pages show.
    with open(metainfo, encoding="utf-8") as f:
        shots = re.findall(r"<image>([^<]+)</image>", f.read())
    check(shots and all(os.path.isfile(root + "/share/kelpo/tutorial/screenshots/" +
                                       os.path.basename(shot)) for shot in shots),
          "the metadata's screenshots %s are not among the installed pictures" % shots)
    with gzip.open(root + "/share/man/man1/kelpo.1.gz", "rt", encoding="utf-8") as f:
        compare_help_and_manual(run(root + "/bin/kelpo", "--help"), f.read())

    run("cmake", "-DMANIFEST=" + manifest, "-P", source + "/cmake/Uninstall.cmake", env=env)
    left = [os.path.join(d, f) for d, _, files in os.walk(root) for f in files]
    check(not left, "left after uninstalling: %s" % left)
    for own in ("share/kelpo", "share/doc/kelpo"):
        check(not os.path.exists(root + "/" + own), own + " is left after uninstalling")


def debian_package(out):
    run("cpack", "-G", "DEB", "--config", build + "/CPackConfig.cmake", "-B", out)
    debs = glob.glob(out + "/*.deb")
    if len(debs) != 1:
        sys.exit("FAIL: cpack made %s" % debs)
    contents = run("dpkg-deb", "--contents", debs[0])
    files = {m[1] for m in re.finditer(r"^\S+ \S+ +\d+ \S+ \S+ \./usr/(\S+)$", contents, re.M)}
    check(not expected_files() - files, "not in the package: %s" % sorted(expected_files() - files))
    check(re.search(r"^-rwxr-xr-x root/root .* \./usr/bin/kelpo$", contents, re.M),
          "the program is not an executable owned by root:\n" + contents)

    fields = dict(re.findall(r"^(\w[\w-]*): (.*)$", run("dpkg-deb", "--field", debs[0]), re.M))
    expected = {"Package": "kelpo", "Version": "4.52",
                "Architecture": run("dpkg", "--print-architecture").strip()}
    check({k: fields.get(k) for k in expected} == expected, "fields: %r" % fields)
    # Found from the program's real libraries, plus the opener of web addresses.
    depends = [d.strip().split()[0] for d in fields.get("Depends", "").split(",")]
    for needed in ("libqt6widgets6", "libqt6gui6", "libqt6core6", "libx11-6", "libxtst6",
                   "libc6", "xdg-utils"):
        check(needed in depends, "Depends lacks %s: %s" % (needed, fields.get("Depends")))
    check(fields.get("Maintainer", "").endswith(">"), "Maintainer: %s" % fields.get("Maintainer"))
    # Reported for whoever reads the log; policy findings do not fail the build.
    if shutil.which("lintian"):
        found = subprocess.run(["lintian", "--tag-display-limit", "0", debs[0]],
                               capture_output=True, text=True)
        print("lintian says:\n" + (found.stdout + found.stderr or "nothing\n"))


with tempfile.TemporaryDirectory(prefix="kelpo-%s-" % mode) as work:
    {"install": installed_tree, "package": debian_package}[mode](work)
if failures:
    print("FAIL\n" + "\n\n".join(failures))
    sys.exit(1)
print("PASS")
