#!/usr/bin/env python3
"""Writes python-written.csv with Python's csv module: a CSV from a tool other than Quillon,
with quoted commas, doubled quotes and empty fields. The expected values are in CsvToPdbTest.cpp.
Run from this folder: python3 make_python_csv.py"""
import csv

rows = [
    ["Name", "Address", "Note", "Empty"],
    ["Smith, John", "1 Main St", 'He said "hi"', ""],
    ["", "", "", ""],
    ["O'Brien", "Flat 2, \"The Oaks\"", "semi;colon", "x"],
]

with open("python-written.csv", "w", newline="", encoding="latin-1") as out:
    csv.writer(out).writerows(rows)
