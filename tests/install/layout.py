# What an installation of Kelpo holds, relative to its prefix, shared by the install and
# package tests.
import os, re, struct

APP_ID = "app.kelpo.Kelpo"
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)


# The files every installation must hold: the program, the menu entry, the icons, the
# metadata, the manual page and the help pages with every picture they show.
def expected_files(source_dir):
    files = {"bin/kelpo", "share/applications/%s.desktop" % APP_ID,
             "share/metainfo/%s.metainfo.xml" % APP_ID, "share/man/man1/kelpo.1.gz",
             "share/icons/hicolor/scalable/apps/kelpo.svg", "share/doc/kelpo/changelog.gz"}
    files |= {"share/icons/hicolor/%dx%d/apps/kelpo.png" % (s, s) for s in ICON_SIZES}
    tutorial = os.path.join(source_dir, "tutorial")
    for page in os.listdir(tutorial):
        files.add("share/kelpo/tutorial/" + page)
        if page.endswith(".htm"):
            with open(os.path.join(tutorial, page), encoding="utf-8") as f:
                for image in re.findall(r'<img[^>]*\bsrc="([^"]+)"', f.read()):
                    files.add(os.path.normpath("share/kelpo/tutorial/" + image))
    return files


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    assert head[:8] == b"\x89PNG\r\n\x1a\n", path + " is no PNG"
    return struct.unpack(">II", head[16:24])


# The names of the pictures the metadata shows, which make screenshots must have made.
def metainfo_screenshots(metainfo_text):
    return [os.path.basename(u) for u in re.findall(r"<image>([^<]+)</image>", metainfo_text)]


# The option lines of --help: [(spelling, description)], e.g. ("-h, --help", "show this...").
def help_options(text):
    return [tuple(re.split(r"\s{2,}", line.strip(), maxsplit=1))
            for line in text.splitlines() if re.match(r"\s+-", line)]


def _plain_roff(line):
    return re.sub(r"\\f[BIRP]", "", line).replace("\\-", "-")


# The same from the manual page's OPTIONS section: each ".TP" is followed by the spelling
# line and the description.
def manpage_options(roff):
    section = re.search(r"^\.SH OPTIONS\n(.*?)^\.(?:PP|SH)", roff, re.M | re.S)
    assert section, "the manual page has no OPTIONS section"
    options = []
    for item in section.group(1).split(".TP\n")[1:]:
        lines = item.strip().split("\n")
        options.append((_plain_roff(lines[0]), " ".join(_plain_roff(l) for l in lines[1:])))
    return options


def help_usage(text):
    return text.splitlines()[0].removeprefix("Usage: ")


def manpage_synopsis(roff):
    section = re.search(r"^\.SH SYNOPSIS\n(.*?)^\.SH", roff, re.M | re.S)
    assert section, "the manual page has no SYNOPSIS section"
    lines = [re.sub(r"^\.B ", "", l) for l in section.group(1).strip().split("\n")]
    return " ".join(_plain_roff(l) for l in lines)
