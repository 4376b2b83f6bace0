#!/usr/bin/python3
"""Crafted .xlsx files a hostile user could hand to kvhost, for the readers' limits.

Usage:
  make_hostile_workbooks.py files FOLDER
      The full-size files (deflated, each at most a few hundred KB on disk):
        long_token.xlsx     a row whose "spans" attribute is 100 million characters long
        shared_text.xlsx    one 32,767-character shared string shown by 76,800 cells (300 rows
                            of 256 columns)
        long_inline.xlsx    an inline text of 50 million characters
        long_shared.xlsx    a shared string of 32,768 characters, one past a cell's limit
        huge_number.xlsx    <v>1E5000</v> in B2
        two_values.xlsx     a cell with two <v> elements
        case_parts.xlsx     both xl/worksheets/Sheet1.xml and sheet1.xml
  make_hostile_workbooks.py seeds FOLDER
      The same faults, small, as seeds of the fuzz_workbooks harness (NAME\\0CONTENT\\0...):
      hostile_*.parts.
"""
import pathlib
import sys
import zipfile

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
PACKAGE = "http://schemas.openxmlformats.org/package/2006/relationships"
LINKS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"


def column(n):
    letters = ""
    n += 1
    while n:
        n, r = divmod(n - 1, 26)
        letters = chr(65 + r) + letters
    return letters


def parts(sheet_xml, shared=None, sheet_part="xl/worksheets/sheet1.xml", extra=()):
    """A one-sheet workbook ("Dados") whose sheet part holds `sheet_xml`'s sheetData."""
    links = (f'<Relationship Id="r1" Type="{LINKS}/worksheet" '
             f'Target="/{sheet_part}"/>')
    out = [
        ("_rels/.rels", f'<Relationships xmlns="{PACKAGE}"><Relationship Id="r" '
                        f'Type="{LINKS}/officeDocument" Target="xl/workbook.xml"/>'
                        '</Relationships>'),
        ("xl/workbook.xml", f'<workbook xmlns="{MAIN}" xmlns:r="{LINKS}"><sheets>'
                            '<sheet name="Dados" sheetId="1" r:id="r1"/></sheets></workbook>'),
    ]
    if shared is not None:
        links += (f'<Relationship Id="r2" Type="{LINKS}/sharedStrings" '
                  'Target="sharedStrings.xml"/>')
        out.append(("xl/sharedStrings.xml", f'<sst xmlns="{MAIN}">' + "".join(
            f"<si><t>{text}</t></si>" for text in shared) + "</sst>"))
    out.append(("xl/_rels/workbook.xml.rels",
                f'<Relationships xmlns="{PACKAGE}">{links}</Relationships>'))
    out.append((sheet_part, f'<worksheet xmlns="{MAIN}"><sheetData>{sheet_xml}'
                            '</sheetData></worksheet>'))
    out.extend(extra)
    return out


def cases(full):
    """(name, parts) of each crafted workbook; `full` gives the sizes that show the faults."""
    spans = 100_000_000 if full else 300_000
    rows, columns = (300, 256) if full else (3, 4)
    inline = 50_000_000 if full else 40_000
    shared_row = "<row>" + "".join('<c t="s"><v>0</v></c>' for _ in range(columns)) + "</row>"
    wrong = f'<worksheet xmlns="{MAIN}"><sheetData><row r="1"><c r="A1"><v>666</v></c></row>' \
            "</sheetData></worksheet>"
    return [
        ("long_token", parts(f'<row r="1" spans="{"1" * spans}"><c r="A1"><v>1</v></c></row>')),
        ("shared_text", parts(shared_row * rows, shared=["x" * 32767])),
        ("long_inline", parts('<row r="1"><c r="A1" t="inlineStr"><is><t>' + "y" * inline +
                              "</t></is></c></row>")),
        ("long_shared", parts('<row r="1"><c r="A1" t="s"><v>0</v></c></row>',
                              shared=["z" * 32768])),
        ("huge_number", parts('<row r="2"><c r="A2"><v>1</v></c><c r="B2"><v>1E5000</v></c>'
                              "</row>")),
        ("two_values", parts('<row r="1"><c r="A1"><v>1</v><v>2</v></c></row>')),
        ("case_parts", parts('<row r="1"><c r="A1"><v>1</v></c></row>',
                             extra=[("xl/worksheets/Sheet1.xml", wrong)])),
    ]


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("files", "seeds"):
        sys.exit(__doc__)
    folder = pathlib.Path(sys.argv[2])
    folder.mkdir(parents=True, exist_ok=True)
    full = sys.argv[1] == "files"
    for name, members in cases(full):
        if full:
            with zipfile.ZipFile(folder / f"{name}.xlsx", "w", zipfile.ZIP_DEFLATED) as book:
                for part, content in members:
                    book.writestr(part, content)
        else:
            data = b"\0".join(part.encode() + b"\0" + content.encode()
                               for part, content in members)
            (folder / f"hostile_{name}.parts").write_bytes(data)


if __name__ == "__main__":
    main()
