#!/usr/bin/env python3
"""Writes the seeds of the fuzz_workbooks harness that give a workbook part by part
(NAME\\0CONTENT\\0...), from the seed workbooks in tests/fuzz/seeds/: the parts the .xlsx reader
reads, into tests/fuzz/corpus/fuzz_workbooks/NAME.parts."""
import pathlib
import zipfile

HERE = pathlib.Path(__file__).resolve().parent
READ = ("_rels/", "xl/workbook.xml", "xl/_rels/", "xl/worksheets/", "xl/sharedStrings.xml")


def main():
    for book in sorted((HERE / "seeds").glob("*.xlsx")):
        with zipfile.ZipFile(book) as package:
            fields = []
            for name in package.namelist():
                if name.startswith(READ):
                    fields += [name.encode(), package.read(name)]
        (HERE / "corpus" / "fuzz_workbooks" / (book.stem + ".parts")).write_bytes(b"\0".join(fields))


if __name__ == "__main__":
    main()
