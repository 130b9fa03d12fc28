"""The release's files: one zip per architecture with the program and the end users' note, and SHA256SUMS.
Every byte follows from the inputs: entries in a fixed order, each dated at the source's date, with fixed
attributes and compression, no comment; the note from its template."""
import hashlib
import pathlib
import string
import time
import zipfile

NOTE_TEMPLATE = pathlib.Path(__file__).resolve().parent / "release_note.txt"

FILE_ATTRIBUTE_ARCHIVE = 0x20

# Zip dates start in 1980; an earlier source date is written as its first moment.
ZIP_EPOCH = (1980, 1, 1, 0, 0, 0)

# What each architecture's program runs on, for the note.
ARCHITECTURES = {
    "x86": "This is the x86 (32-bit) program. It runs on 32-bit and 64-bit Windows.",
    "x64": "This is the x64 (64-bit) program. It runs on 64-bit Windows only.",
}

PLACEHOLDER_WARNING = """\
TEST BUILD - DO NOT USE ON A SCANNER
This program carries generated placeholder firmware images instead of the maker's firmware. It exists only
for testing. An update with it would write placeholder bytes into the scanner.

"""


def zip_date(source_date_epoch):
    return max(ZIP_EPOCH, time.gmtime(source_date_epoch)[:6])


def note(version, architecture, program_name, placeholder):
    """The end users' note, with Windows line ends so that every editor of every Windows version shows it."""
    text = string.Template(NOTE_TEMPLATE.read_text(encoding="utf-8")).substitute(
        version=version, architecture=ARCHITECTURES[architecture], program=program_name,
        warning=PLACEHOLDER_WARNING if placeholder else "")
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def write_zip(path, entries, source_date_epoch):
    """`entries`: [(name in the zip, bytes)], written in that order."""
    date = zip_date(source_date_epoch)
    with zipfile.ZipFile(path, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=date)
            info.compress_type = zipfile.ZIP_DEFLATED
            # MS-DOS attributes, as Windows' own zips carry: the archive bit alone (zipfile would put the
            # writer's Unix permissions in place of none).
            info.create_system = 0
            info.external_attr = FILE_ATTRIBUTE_ARCHIVE
            archive.writestr(info, data, compresslevel=9)


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as data:
        for piece in iter(lambda: data.read(1 << 20), b""):
            digest.update(piece)
    return digest.hexdigest()


def write_sums(path, files):
    """The format of sha256sum (`sha256sum -c` reads it), files sorted by name."""
    lines = [f"{sha256(file)}  {pathlib.Path(file).name}\n" for file in sorted(files, key=lambda f: f.name)]
    pathlib.Path(path).write_text("".join(lines), encoding="ascii", newline="\n")
