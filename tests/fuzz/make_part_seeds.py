#!/usr/bin/env python3
"""Writes the seeds of the fuzz_workbooks harness that give a workbook part by part
(NAME\\0CONTENT\\0...) into tests/fuzz/corpus/fuzz_workbooks/: the parts the .xlsx reader reads
of each seed workbook in tests/fuzz/seeds/ (NAME.parts), and a small workbook written here with
one cell of every kind (small.parts), which mutations go through quickly."""
import pathlib
import zipfile

HERE = pathlib.Path(__file__).resolve().parent
MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
PACKAGE = "http://schemas.openxmlformats.org/package/2006/relationships"
LINKS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
SMALL = {
    "_rels/.rels": f'<Relationships xmlns="{PACKAGE}"><Relationship Id="r" '
                   f'Type="{LINKS}/officeDocument" Target="xl/workbook.xml"/></Relationships>',
    "xl/workbook.xml": f'<workbook xmlns="{MAIN}" xmlns:r="{LINKS}"><workbookPr date1904="0"/>'
                       '<sheets><sheet name="A" sheetId="1" r:id="r1"/><sheet name="B" '
                       'sheetId="2" state="hidden" r:id="r2"/></sheets></workbook>',
    "xl/_rels/workbook.xml.rels": f'<Relationships xmlns="{PACKAGE}">'
                                  f'<Relationship Id="r1" Type="{LINKS}/worksheet" '
                                  'Target="worksheets/sheet1.xml"/>'
                                  f'<Relationship Id="r2" Type="{LINKS}/worksheet" '
                                  'Target="/xl/worksheets/sheet2.xml"/>'
                                  f'<Relationship Id="r3" Type="{LINKS}/sharedStrings" '
                                  'Target="sharedStrings.xml"/></Relationships>',
    "xl/worksheets/sheet1.xml": f'<worksheet xmlns="{MAIN}"><sheetData><row r="1">'
                                '<c r="A1" t="s"><v>1</v></c><c r="B1"><v>1.5E-3</v></c>'
                                '<c r="C1" t="b"><v>1</v></c></row><row r="3">'
                                '<c r="A3" t="inlineStr"><is><t>x</t></is></c>'
                                '<c r="B3" t="e"><v>#N/A</v></c>'
                                '<c r="C3" t="d"><v>2020-01-31T12:00:00</v></c>'
                                '<c r="D3" t="str"><f>1+1</f><v>2</v></c></row>'
                                '</sheetData></worksheet>',
    "xl/worksheets/sheet2.xml": f'<worksheet xmlns="{MAIN}"><sheetData><row><c><v>2</v></c>'
                                '<c><v>-7</v></c></row></sheetData></worksheet>',
    "xl/sharedStrings.xml": f'<sst xmlns="{MAIN}"><si><t>a</t></si><si><r><t>b</t></r>'
                            '<r><t xml:space="preserve"> c</t></r><rPh><t>p</t></rPh></si></sst>',
}
READ = ("_rels/", "xl/workbook.xml", "xl/_rels/", "xl/worksheets/", "xl/sharedStrings.xml")


def main():
    for book in sorted((HERE / "seeds").glob("*.xlsx")):
        with zipfile.ZipFile(book) as package:
            fields = []
            for name in package.namelist():
                if name.startswith(READ):
                    fields += [name.encode(), package.read(name)]
        (HERE / "corpus" / "fuzz_workbooks" / (book.stem + ".parts")).write_bytes(b"\0".join(fields))
    small = [field.encode() for part in SMALL.items() for field in part]
    (HERE / "corpus" / "fuzz_workbooks" / "small.parts").write_bytes(b"\0".join(small))


if __name__ == "__main__":
    main()
