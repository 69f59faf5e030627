#!/usr/bin/env python3
"""Writes the bundled exchange-rate snapshot, resources/eurofxref-snapshot.xml, from a daily
CSV file of the European Central Bank's reference rates (eurofxref.csv), in the form of the
bank's daily XML, which the program reads like a download of it.

usage: scripts/make-rates-snapshot.py ../shared/data/ecb/eurofxref.csv > resources/eurofxref-snapshot.xml
"""
import csv
import datetime
import sys


def main():
    with open(sys.argv[1], newline="", encoding="utf-8") as source:
        rows = [[cell.strip() for cell in row] for row in csv.reader(source)]
    header, values = rows[0], rows[1]
    date = datetime.datetime.strptime(values[0], "%d %B %Y").date().isoformat()
    print('<?xml version="1.0" encoding="UTF-8"?>')
    print('<gesmes:Envelope xmlns:gesmes="http://www.gesmes.org/xml/2002-08-01" '
          'xmlns="http://www.ecb.int/vocabulary/2002-08-01/eurofxref">')
    print("\t<gesmes:subject>Reference rates</gesmes:subject>")
    print("\t<gesmes:Sender>\n\t\t<gesmes:name>European Central Bank</gesmes:name>\n\t</gesmes:Sender>")
    print("\t<Cube>")
    print(f"\t\t<Cube time='{date}'>")
    for code, rate in zip(header[1:], values[1:]):
        if code and rate and rate != "N/A":
            print(f"\t\t\t<Cube currency='{code}' rate='{rate}'/>")
    print("\t\t</Cube>\n\t</Cube>\n</gesmes:Envelope>")


if __name__ == "__main__":
    main()
