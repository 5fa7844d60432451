#!/usr/bin/env python3
# Builds the Debian package from a build tree (its program as built, no second compile)
# and checks it with dpkg-deb: every installed file under /usr, the package's metadata,
# and dependencies found from the program's real libraries plus xdg-utils. Where lintian
# is installed, its findings are printed; they do not fail the test.
#   package_test.py BUILD_DIR SOURCE_DIR
import glob, re, shutil, subprocess, sys, tempfile

import layout

build, source = sys.argv[1], sys.argv[2]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run(*args):
    result = subprocess.run(args, capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit("FAIL: %s:\n%s%s" % (" ".join(args), result.stdout, result.stderr))
    return result.stdout


with tempfile.TemporaryDirectory(prefix="kelpo-package-") as out:
    run("cpack", "-G", "DEB", "--config", build + "/CPackConfig.cmake", "-B", out)
    debs = glob.glob(out + "/*.deb")
    if len(debs) != 1:
        sys.exit("FAIL: cpack made %s" % debs)
    deb = debs[0]

    contents = run("dpkg-deb", "--contents", deb)
    files = {m.group(1) for m in re.finditer(r"^\S+ \S+ +\d+ \S+ \S+ \./usr/(\S+)$", contents, re.M)}
    missing = layout.expected_files(source) - files
    check(not missing, "not in the package: %s" % sorted(missing))
    check(re.search(r"^-rwxr-xr-x root/root .* \./usr/bin/kelpo$", contents, re.M),
          "the program is not an executable owned by root:\n" + contents)

    fields = dict(re.findall(r"^(\w[\w-]*): (.*)$", run("dpkg-deb", "--field", deb), re.M))
    check(fields.get("Package") == "kelpo", "Package: %s" % fields.get("Package"))
    check(fields.get("Version") == "4.52", "Version: %s" % fields.get("Version"))
    check(fields.get("Architecture") == run("dpkg", "--print-architecture").strip(),
          "Architecture: %s" % fields.get("Architecture"))
    depends = [d.strip().split()[0] for d in fields.get("Depends", "").split(",")]
    for needed in ("libqt6widgets6", "libqt6gui6", "libqt6core6", "libx11-6", "libxtst6",
                   "libc6", "xdg-utils"):
        check(needed in depends, "Depends lacks %s: %s" % (needed, fields.get("Depends")))
    check(fields.get("Maintainer", "").endswith(">"), "Maintainer: %s" % fields.get("Maintainer"))

    if shutil.which("lintian"):
        findings = subprocess.run(["lintian", "--tag-display-limit", "0", deb],
                                  capture_output=True, text=True)
        print("lintian says:\n" + (findings.stdout + findings.stderr or "nothing\n"))

if failures:
    print("FAIL\n" + "\n\n".join(failures))
    sys.exit(1)
print("PASS")
