#!/usr/bin/env python3
"""Writes resources/catalogue/catalogue.txt, the readable catalogue source,
from the chip tables in resources/catalogue/source/. The build encodes it into
database.dat with tarnwick-catalogue. Field coding: resources/catalogue/README.md.

usage: scripts/make_catalogue.py [OUTPUT]   (default: resources/catalogue/catalogue.txt)
"""
import csv
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "resources", "catalogue", "source")
DEFAULT_OUT = os.path.join(ROOT, "resources", "catalogue", "catalogue.txt")

# Type list order is fixed: detection maps box answers to these positions.
TYPE_FLASH = "25 SPI FLASH"
EEPROM_TYPES = [("24", "24 EEPROM"), ("93", "93 EEPROM"), ("25", "25 EEPROM"), ("95", "95 EEPROM")]

# Maker texts; "WINBOND", "GIGADEVICE" and "MX" are looked for by the QE rules.
MAKER_TEXT = {"Macronix": "MX(MACRONIX)", "generic": "GENERIC"}
MAKER_CLOSE = "|"  # every maker line carries one closing character

KB, MB, GB = 1 << 10, 1 << 20, 1 << 30


def maker_text(name):
    return MAKER_TEXT.get(name, name.upper())


def natural_key(text):
    return [int(part) if part.isdigit() else part for part in re.split(r"(\d+)", text)]


def byte_capacity(size):
    for unit, scale in (("GB", GB), ("MB", MB), ("KB", KB)):
        if size >= scale and size % scale == 0:
            return "%d%s" % (size // scale, unit)
    return "%dB" % size


def word_capacity(size_bytes):
    words = size_bytes // 2
    if words >= KB and words % KB == 0:
        return "%dK*16bit" % (words // KB)
    return "%d*16bit" % words


def flash_sector(erase):
    # Sector codes count 2^(code+10) bytes, so sizes are written in K. A
    # 256-byte page erase becomes "N": chip fill then goes page by page. An
    # unknown erase size is "F": the chip is not filled sector-wise.
    if not erase:
        return "F"
    erase = int(erase)
    if erase >= KB and erase % KB == 0:
        return "%dK" % (erase // KB)
    return "N"


def flash_voltage(vmin, vmax):
    if not vmax:
        return "3.3V"
    vmin, vmax = int(vmin or vmax), int(vmax)
    if vmax <= 2000:
        return "1.8V"
    if vmin <= 1800:
        return "1.8-3.3V"
    return "3.3V"


def eeprom_voltage(vmin, vmax):
    vmin, vmax = int(vmin), int(vmax)
    text = "%g-%g" % (vmin / 1000.0, vmax / 1000.0)
    # A last character "5" marks a 5-volt chip for the box.
    return text if vmax >= 5000 else text + "V"


def chip_line(model, page, sector, capacity, main_addr, second_addr, main_id, second_id,
              voltage, op):
    fields = [model, page, sector, capacity, main_addr, second_addr, main_id, second_id, voltage]
    for f in fields:
        assert ":" not in f, f
    return "@" + "".join(f + ":" for f in fields) + op


def flash_lines():
    rows = []
    for name in ("spi_nor.csv", "spi_nor_added.csv"):
        with open(os.path.join(SOURCE, name), newline="") as f:
            rows.extend(csv.DictReader(f))
    by_maker = {}
    for r in rows:
        by_maker.setdefault(maker_text(r["maker"]), []).append(r)
    lines = ["$" + TYPE_FLASH]
    for maker in sorted(by_maker):
        lines.append("#" + maker + MAKER_CLOSE)
        for r in sorted(by_maker[maker], key=lambda r: natural_key(r["model"])):
            lines.append(chip_line(
                r["model"], r["page_size"], flash_sector(r["smallest_erase_block_bytes"]),
                byte_capacity(int(r["size_bytes"])), "N", "000", r["id24_hex"].upper().zfill(6),
                "000000", flash_voltage(r["voltage_min_mv"], r["voltage_max_mv"]), "000"))
    return lines, len(rows)


def address_bits(notes):
    m = re.search(r"(\d+) address bits", notes)
    if not m:
        raise SystemExit("93-series row without its address bit count: " + notes)
    return int(m.group(1))


def eeprom_fields(r):
    family, size, abytes = r["family"], int(r["size_bytes"]), int(r["address_bytes"])
    x16 = r["organisation"] == "x16"
    capacity = word_capacity(size) if x16 else byte_capacity(size)
    main_addr, second_addr = "N", "%03d" % abytes
    if family == "24":
        main_addr, op = "A0", "1%02X" % abytes
    elif family == "93":
        # Read back in decimal by the parameter build: the address width.
        second_addr = "%03d" % address_bits(r["notes"])
        op = "3%d%d" % (abytes - 1, 1 if x16 else 0)
    elif family == "25":
        op = "20%d" % (1 if abytes >= 3 else 0)
    else:
        op = "400"
    return r["page_size"], "N", capacity, main_addr, second_addr, op


def eeprom_lines():
    with open(os.path.join(SOURCE, "eeprom.csv"), newline="") as f:
        rows = list(csv.DictReader(f))
    lines = []
    for family, type_text in EEPROM_TYPES:
        lines.append("$" + type_text)
        family_rows = [r for r in rows if r["family"] == family]
        names = {}
        for r in family_rows:
            key = (r["maker"], r["model"])
            names[key] = names.get(key, 0) + 1
        makers = sorted({maker_text(r["maker"]) for r in family_rows})
        for maker in makers:
            lines.append("#" + maker + MAKER_CLOSE)
            mine = [r for r in family_rows if maker_text(r["maker"]) == maker]
            for r in sorted(mine, key=lambda r: (int(r["size_bytes"]), natural_key(r["model"]),
                                                  r["organisation"] != "x8")):
                model = r["model"]
                # Two organisations of one part need two names, or the second
                # could never be chosen from the model list.
                if names[(r["maker"], model)] > 1:
                    model += "(%s)" % r["organisation"]
                page, sector, capacity, main_addr, second_addr, op = eeprom_fields(r)
                lines.append(chip_line(model, page, sector, capacity, main_addr, second_addr,
                                       "000000", "000000",
                                       eeprom_voltage(r["voltage_min_mv"], r["voltage_max_mv"]),
                                       op))
    return lines, len(rows)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_OUT
    flash, nflash = flash_lines()
    eeprom, neeprom = eeprom_lines()
    header = [
        "// Tarnwick chip catalogue source. Encoded into database.dat by the build",
        "// (tarnwick-catalogue encode). Written by scripts/make_catalogue.py from",
        "// resources/catalogue/source/*.csv. The fields are explained in README.md.",
        "// Lines that do not start with a dollar sign, a hash or an at sign are comments.",
    ]
    text = "\r\n".join(header + flash + eeprom) + "\r\n"
    with open(out, "w", newline="") as f:
        f.write(text)
    print("%s: %d flash and %d EEPROM records" % (out, nflash, neeprom))


if __name__ == "__main__":
    main()
