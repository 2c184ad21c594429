#!/usr/bin/env python3
"""Writes six hostile tables into a folder: small files that would each take gigabytes if
their cells, their text or their columns were built as they ask.

    make_bombs.py FOLDER            # the full files, up to 100 MB, for the tests
    make_bombs.py --small FOLDER    # a few KB each, past the fuzz targets' smaller limits

Python's standard library only, and the same bytes on every run.
"""

import argparse
import pathlib
import sys
import zipfile

ODS_MIME = "application/vnd.oasis.opendocument.spreadsheet"
MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
RELATIONS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"


def write_zip(path, parts, stored=()):
    """Parts in order, deflated unless named in `stored`, with a fixed date."""
    with zipfile.ZipFile(path, "w") as archive:
        for name, text in parts:
            info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
            plain = name == "mimetype" or name in stored
            info.compress_type = zipfile.ZIP_STORED if plain else zipfile.ZIP_DEFLATED
            archive.writestr(info, text)


def ods(path, rows, stored=False):
    content = (
        '<?xml version="1.0" encoding="UTF-8"?><office:document-content '
        'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
        'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
        'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body>'
        '<office:spreadsheet><table:table table:name="Inscrits">'
        + "".join(rows)
        + "</table:table></office:spreadsheet></office:body></office:document-content>"
    )
    write_zip(path, [("mimetype", ODS_MIME), ("content.xml", content)],
              stored=("content.xml",) if stored else ())


def xlsx(path, rows, shared=None):
    parts = [
        ("[Content_Types].xml",
         '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>'),
        ("xl/workbook.xml",
         f'<workbook xmlns="{MAIN}" xmlns:r="{RELATIONS}"><sheets>'
         '<sheet name="Inscrits" sheetId="1" r:id="rId1"/></sheets></workbook>'),
        ("xl/_rels/workbook.xml.rels",
         '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
         f'<Relationship Id="rId1" Target="worksheets/sheet1.xml" Type="{RELATIONS}/worksheet"/>'
         "</Relationships>"),
        ("xl/worksheets/sheet1.xml",
         f'<worksheet xmlns="{MAIN}"><sheetData>' + "".join(rows) + "</sheetData></worksheet>"),
    ]
    if shared is not None:
        parts.append(("xl/sharedStrings.xml",
                      f'<sst xmlns="{MAIN}">'
                      + "".join(f"<si><t>{s}</t></si>" for s in shared) + "</sst>"))
    write_zip(path, parts)


def letters(count):
    """Letters that barely compress, so that no archive looks like a ZIP bomb."""
    out = []
    x = 12345
    for _ in range(count):
        x = (x * 1103515245 + 12345) % (1 << 31)
        out.append(chr(ord("a") + (x >> 16) % 26))
    return "".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder", type=pathlib.Path)
    parser.add_argument("--small", action="store_true")
    args = parser.parse_args()
    small = args.small
    folder = args.folder
    folder.mkdir(parents=True, exist_ok=True)

    # A million rows of a cell repeated over every column: 482 bytes.
    ods(folder / "ods-lignes-colonnes-repetees.ods", [
        '<table:table-row table:number-rows-repeated="1000000">'
        '<table:table-cell table:number-columns-repeated="16384" office:value-type="string">'
        "<text:p>x</text:p></table:table-cell></table:table-row>"])

    # Rows whose one cell stands past 16,383 empty ones.
    far_rows = 100 if small else 100_000
    ods(folder / "ods-cellule-lointaine.ods", [
        '<table:table-row><table:table-cell table:number-columns-repeated="16383"/>'
        f'<table:table-cell office:value-type="string"><text:p>n{i}</text:p>'
        "</table:table-cell></table:table-row>" for i in range(far_rows)])

    # One cell of 500,000 runs of a thousand spaces; stored, as it compresses too well.
    runs = 50 if small else 500_000
    ods(folder / "ods-espaces.ods", [
        '<table:table-row><table:table-cell office:value-type="string"><text:p>'
        + '<text:s text:c="1000"/>' * runs + "</text:p></table:table-cell></table:table-row>"],
        stored=not small)

    # Rows of one cell each, at column XFD.
    xfd_rows = 100 if small else 200_000
    xlsx(folder / "xlsx-colonne-xfd.xlsx", [
        f'<row r="{i}"><c r="XFD{i}"><v>{i}</v></c></row>' for i in range(1, xfd_rows + 1)])

    # One long shared string shown by every row.
    length, shown = (5_000, 1_000) if small else (99_000, 60_000)
    xlsx(folder / "xlsx-texte-partage.xlsx", [
        f'<row r="{i}"><c r="A{i}" t="s"><v>0</v></c></row>' for i in range(1, shown + 1)],
        shared=[letters(length)])

    # One line of fifty million fields.
    fields = 1_001 if small else 50_000_000
    (folder / "csv-une-ligne.csv").write_bytes(b"x;" * (fields - 1) + b"x\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
