#!/usr/bin/python3
"""Reads a workbook with openpyxl (not the library that wrote it) and prints what a
test needs as JSON: every sheet's cells with their Python types, and each chart's
kind and data ranges."""
import datetime
import json
import sys

import openpyxl


def cell(value):
    if value is None:
        return None
    if isinstance(value, bool):
        return {"bool": value}
    if isinstance(value, (int, float)):
        return {"number": value}
    if isinstance(value, datetime.datetime):
        return {"datetime": value.strftime("%Y-%m-%d %H:%M:%S")}
    if isinstance(value, str):
        return {"text": value}
    return {"other": repr(value)}


def main():
    wb = openpyxl.load_workbook(sys.argv[1])
    out = {"sheets": []}
    for ws in wb.worksheets:
        sheet = {"name": ws.title, "rows": [], "charts": [], "formats": {}}
        for row in ws.iter_rows():
            sheet["rows"].append([cell(c.value) for c in row])
            for c in row:
                if c.value is not None and c.number_format != "General":
                    sheet["formats"][c.coordinate] = c.number_format
        for ch in ws._charts:
            series = []
            for s in ch.series:
                series.append({"categories": s.cat.numRef.f if s.cat and s.cat.numRef else None,
                               "values": s.val.numRef.f if s.val and s.val.numRef else None})
            sheet["charts"].append({"type": ch.tagname, "barDir": getattr(ch, "barDir", None), "series": series})
        out["sheets"].append(sheet)
    json.dump(out, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
